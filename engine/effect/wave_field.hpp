// The background: a 384 x 224 grid of coloured points whose rows sway sideways
// and whose columns bob up and down by two sine tables.
#pragma once

#include <cstdint>

#include "engine/effect/colour_table.hpp"

struct DisplayDescriptor;

constexpr int shiftTableSize = 256;

// How a grid point's colour index is chosen: colourBase plus nothing, its
// column, or its row; or its distance from the centre alone.
enum WaveColourMode : uint8_t {
    waveByBase = 0,
    waveByColumn = 1,
    waveByRow = 2,
    waveByDistance = 3,
};

// FillSineTable's choice of table.
enum ShiftTableName : uint8_t {
    xShiftTable = 0,
    yShiftTable = 1,
};

struct WaveField {
    int32_t gridWidth = 384;
    int32_t gridHeight = 224;
    int32_t centreX = 192; // grid column placed at screen x 320
    int32_t centreY = 112; // grid row placed at screen y 240
    uint8_t colourBase = 0;
    uint8_t colourMode = waveByBase; // a WaveColourMode
    ColourTable colours = UniformColourTable(0, 0, 0);
    uint8_t xPhase = 0;
    int32_t xShift[shiftTableSize] {}; // sideways displacement, looked up by row
    uint8_t yPhase = 0;
    int32_t yShift[shiftTableSize] {}; // vertical displacement, looked up by column

    // which: a ShiftTableName; anything else fills nothing.
    void FillSineTable(uint8_t which, float startDegrees, float endDegrees,
        int startIndex, int32_t count, int32_t amplitude);
    void Draw(DisplayDescriptor& target) const;
    uint8_t ColourIndexAt(int32_t x, int32_t y) const { return ColourIndexIn(colourMode, x, y); }

private:
    uint8_t ColourIndexIn(uint8_t mode, int32_t x, int32_t y) const;
    struct FrameLayout;
    // The grid columns of one row that land inside the image's width.
    struct RowSpan {
        int32_t firstX;
        int32_t endX;
        uint8_t column; // column phase of firstX
        uint8_t* firstPixel; // firstX's pixel in the image's first row
    };
    RowSpan SpanOfRow(const FrameLayout& layout, int32_t y) const;
    template <uint32_t bytes>
    void DrawRowsOfSize(const FrameLayout& layout) const;
    template <uint32_t bytes, bool uniformRows>
    void DrawRows(const FrameLayout& layout) const;
    void DrawClippedRow(const FrameLayout& layout, RowSpan span, int32_t y) const;
};
