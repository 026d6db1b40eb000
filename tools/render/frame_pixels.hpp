// Reading a drawn frame back, for the tools and the checks: a hash of its
// bytes, and the colour each pixel stands for.
#pragma once

#include <cstdint>

#include "engine/effect/colour_table.hpp"
#include "engine/frame/buffer_frame_cycle.hpp"

uint64_t HashFrame(const FrameBuffer& buffer);

// The colour a pixel value stands for in the format the engine was started
// in; 8-bit values through the uniform palette.
Rgb PixelColour(const FrameBuffer& buffer, uint32_t x, uint32_t y);
