// The frame cycle over a plain 640 x 480 buffer, for the renderer, the hack,
// the page and the checks: clear the buffer, then the engine's DrawNextFrame,
// as the saver's frame cycle does over its locked off-screen surface.
#pragma once

#include <cstdint>

#include "engine/frame/display_descriptor.hpp"

// The renderer's formats, by name: 8 (3-3-2), 15, 16, 24 or 32; null for others.
const PixelFormat* FindRenderFormat(int name);

constexpr int maxBytesPerPixel = 4;

struct FrameBuffer {
    uint8_t bytes[imageHeight * imageWidth * maxBytesPerPixel];
    int32_t pitch;
    uint32_t bytesPerPixel;

    const uint8_t* Row(uint32_t y) const { return bytes + y * pitch; }
    uint32_t RowBytes() const { return imageWidth * bytesPerPixel; }
};

// Puts the effect objects and the scene state back to how the program starts,
// so that one process can start the engine again and again.
void ResetScene();
// ResetScene, then the engine started at tick 0 in the format.
void StartRendering(const PixelFormat& format, FrameBuffer& buffer);
void RenderFrame(uint32_t tick, FrameBuffer& buffer);
