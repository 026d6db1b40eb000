// The foreground: a one-bit picture turned about its pivot, each set pixel
// coloured by its offset from the pivot, placed at the image middle plus an orbit.
#pragma once

#include <cstdint>

#include "engine/effect/colour_table.hpp"
#include "engine/effect/flower_picture.hpp"

struct DisplayDescriptor;

// How a set pixel's colour index is chosen: colourOffset plus nothing, |px|,
// |py| or the distance from the pivot.
enum PictureColourMode : uint8_t {
    pictureByOffset = 0,
    pictureByPx = 1,
    pictureByPy = 2,
    pictureByDistance = 3,
};

struct RotatingPicture {
    int32_t pictureWidth = flowerPictureWidth;
    int32_t pictureHeight = flowerPictureHeight;
    int32_t pivotX = flowerPictureWidth / 2;
    int32_t pivotY = flowerPictureHeight / 2;
    int32_t byteCount = flowerPictureByteCount;
    int32_t bytesPerRow = flowerPictureBytesPerRow;
    const uint8_t* bits = flowerPicture;
    float angle = 0.0f; // degrees
    float spinRate = 0.0f; // degrees per second
    uint8_t colourOffset = 0;
    float colourPhase = 0.0f;
    float colourRate = 0.0f; // colour indices per second
    uint8_t colourMode = pictureByOffset; // a PictureColourMode; others act as pictureByOffset
    ColourTable colours = UniformColourTable(255, 255, 255);

    void Advance(float elapsedSeconds);
    void Draw(DisplayDescriptor& target, int32_t orbitX, int32_t orbitY) const;
    uint8_t ColourIndexAt(int32_t px, int32_t py) const { return ColourIndexIn(colourMode, colourOffset, px, py); }

private:
    static uint8_t ColourIndexIn(uint8_t mode, uint8_t offset, int32_t px, int32_t py);
    template <uint8_t mode>
    void DrawPixels(DisplayDescriptor& target, double sine, double cosine, uint32_t originX, uint32_t originY) const;
};
