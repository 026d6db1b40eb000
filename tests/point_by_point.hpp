// The drawing rules point by point, slow and plain: what the engine's drawing
// must leave in the canvas, byte for byte.
#pragma once

#include <cmath>

#include "engine/effect/numeric.hpp"
#include "engine/effect/scene.hpp"
#include "engine/frame/display_descriptor.hpp"

// The drawing rule point by point: rows in order, each row's columns in
// order, every point through PutPixel. Draw must leave the same bytes.
inline void DrawPointByPoint(const WaveField& field, DisplayDescriptor& target)
{
    for (int32_t y = 0; y < field.gridHeight; ++y) {
        for (int32_t x = 0; x < field.gridWidth; ++x) {
            const uint32_t screenX = imageMiddleX - static_cast<uint32_t>(field.centreX)
                + static_cast<uint32_t>(field.xShift[static_cast<uint8_t>(field.xPhase + y)]) + static_cast<uint32_t>(x);
            const uint32_t screenY = imageMiddleY - static_cast<uint32_t>(field.centreY) + static_cast<uint32_t>(y)
                + static_cast<uint32_t>(field.yShift[static_cast<uint8_t>(field.yPhase + x)]);
            const Rgb& colour = field.colours[field.ColourIndexAt(x, y)];
            target.PutPixel(screenX, screenY, colour.red, colour.green, colour.blue);
        }
    }
}

// Every set pixel, last in reading order first, so that where two land on one
// position the earlier one wins.
inline void DrawPointByPoint(const RotatingPicture& picture, DisplayDescriptor& target, OrbitOffset orbit)
{
    const double radians = picture.angle * DegreesToRadians;
    const double sine = RoundToSingle(std::sin(radians));
    const double cosine = RoundToSingle(std::cos(radians));
    for (int32_t i = picture.pictureHeight * picture.bytesPerRow * 8 - 1; i >= 0; --i) {
        const int32_t row = i / (picture.bytesPerRow * 8);
        const int32_t column = i % (picture.bytesPerRow * 8);
        if ((picture.bits[row * picture.bytesPerRow + column / 8] & (0x80 >> (column % 8))) == 0)
            continue;
        const int32_t px = column - picture.pivotX;
        const int32_t py = row - picture.pivotY;
        const uint32_t screenX = imageMiddleX + static_cast<uint32_t>(orbit.x)
            + static_cast<uint32_t>(TruncateToInt32(px * cosine - py * sine));
        const uint32_t screenY = imageMiddleY + static_cast<uint32_t>(orbit.y)
            + static_cast<uint32_t>(TruncateToInt32(px * sine + py * cosine));
        const Rgb& colour = picture.colours[picture.ColourIndexAt(px, py)];
        target.PutPixel(screenX, screenY, colour.red, colour.green, colour.blue);
    }
}

// The scene as it stands after a frame's advance: the wave field, then the
// picture at its orbit.
inline void DrawPointByPoint(DisplayDescriptor& target)
{
    DrawPointByPoint(waveField, target);
    DrawPointByPoint(rotatingPicture, target, OrbitOffsetAt(orbitAngle));
}
