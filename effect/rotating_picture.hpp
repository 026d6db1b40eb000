// The foreground: a one-bit picture turned about its pivot, each set pixel
// coloured by its offset from the pivot, placed at the image middle plus an orbit.
#pragma once

#include <cstdint>

#include "effect/colour_table.hpp"
#include "effect/flower_picture.hpp"

struct DisplayDescriptor;

struct RotatingPicture {
    int32_t pictureWidth = flowerPictureWidth;
    int32_t pictureHeight = flowerPictureHeight;
    int32_t pivotX = 122;
    int32_t pivotY = 109;
    int32_t byteCount = flowerPictureByteCount;
    int32_t bytesPerRow = flowerPictureBytesPerRow;
    const uint8_t* bits = flowerPicture;
    float angle = 0.0f; // degrees
    float spinRate = 0.0f; // degrees per second
    uint8_t colourOffset = 0;
    float colourPhase = 0.0f;
    float colourRate = 0.0f; // colour indices per second
    uint8_t colourMode = 0; // 1 |px|, 2 |py|, 3 distance, else offset only
    ColourTable colours = UniformColourTable(255, 255, 255);

    void Advance(float elapsedSeconds);
    void Draw(DisplayDescriptor& target, int32_t orbitX, int32_t orbitY) const;
    uint8_t ColourIndexAt(int32_t px, int32_t py) const { return ColourIndexIn(colourMode, colourOffset, px, py); }

private:
    static uint8_t ColourIndexIn(uint8_t mode, uint8_t offset, int32_t px, int32_t py);
    template <uint8_t mode>
    void DrawPixels(DisplayDescriptor& target, double sine, double cosine, uint32_t originX, uint32_t originY) const;
};
