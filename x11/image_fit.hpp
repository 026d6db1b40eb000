// Where the 640x480 image goes in a window of any size: centred at full size
// when it fits, otherwise scaled down to fit with its aspect kept (the preview
// pane of the screen-saver settings).
#pragma once

#include <cstdint>

#include "tools/render/frame_renderer.hpp"

struct ImageFit {
    uint32_t x;
    uint32_t y;
    uint32_t width;
    uint32_t height;

    bool Scaled() const { return width != imageWidth || height != imageHeight; }
};

ImageFit FitImage(uint32_t windowWidth, uint32_t windowHeight);

// Nearest-neighbour: destination pixel (x, y) takes frame pixel
// (x * 640 / width, y * 480 / height).
void ScaleFrame(const FrameBuffer& frame, uint8_t* destination, uint32_t destinationPitch, uint32_t width,
    uint32_t height);
