// The 640x480 frame scaled on the processor into the place FitImage gives it,
// for front ends whose display server does not scale it.
#pragma once

#include <cstdint>

#include "engine/frame/buffer_frame_cycle.hpp"
#include "engine/frame/image_placement.hpp"

// Nearest pixel: destination pixel (x, y) takes frame pixel
// (x * 640 / width, y * 480 / height).
void ScaleFrame(const FrameBuffer& frame, uint8_t* destination, uint32_t destinationPitch, uint32_t width,
    uint32_t height);
