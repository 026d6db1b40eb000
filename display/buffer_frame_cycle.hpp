// Drives the effect over a plain 640 x 480 buffer exactly as the saver's frame
// cycle drives it over the locked off-screen surface: clear, bind, advance the
// clock from the tick, animate.
#pragma once

#include <cstdint>

#include "display/display_descriptor.hpp"
#include "effect/colour_table.hpp"

// A format the renderer can draw in: 8 (3-3-2), 15, 16, 24 or 32 bits.
struct RenderFormat {
    int name;
    uint32_t bitCount;
    uint32_t redMask;
    uint32_t greenMask;
    uint32_t blueMask;
};

const RenderFormat* FindRenderFormat(int name);

constexpr int maxBytesPerPixel = 4;

struct FrameBuffer {
    uint8_t bytes[imageHeight * imageWidth * maxBytesPerPixel];
    int32_t pitch;
    uint32_t bytesPerPixel;

    const uint8_t* Row(uint32_t y) const { return bytes + y * pitch; }
    uint32_t RowBytes() const { return imageWidth * bytesPerPixel; }
};

// Puts the effect objects, the scene state and the clock back to how the
// program starts, configures the descriptor and sets the scene up at tick 0.
void StartRendering(const RenderFormat& format, FrameBuffer& buffer);
void RenderFrame(uint32_t tick, FrameBuffer& buffer);

uint64_t HashFrame(const FrameBuffer& buffer);

// The colour a pixel value stands for in the configured format; 8-bit values
// through the uniform palette.
Rgb PixelColour(const FrameBuffer& buffer, uint32_t x, uint32_t y);
