// Where the 640x480 image goes in a window of any size.
//
// A window of at least 640x480 shows it blown up by the largest whole factor k
// that fits (at most maxScale when that is not 0), each pixel a k x k block so
// the dithered flower stays crisp, centred on black.
//
// A smaller window (the settings' preview pane) shows the whole image scaled
// down with its aspect kept: the side that is relatively shorter is filled, the
// other gets that side times 480/640 or 640/480, rounded down. The image is
// centred; an odd pixel of margin goes to the right or the bottom.
#pragma once

#include <cstdint>

#include "display/buffer_frame_cycle.hpp"

struct ImageFit {
    uint32_t x;
    uint32_t y;
    uint32_t width;
    uint32_t height;

    bool Scaled() const { return width != imageWidth || height != imageHeight; }
    // The whole factor the image is blown up by, or 0 when it is scaled down.
    uint32_t WholeFactor() const { return width >= imageWidth && width % imageWidth == 0 ? width / imageWidth : 0; }
};

ImageFit FitImage(uint32_t windowWidth, uint32_t windowHeight, uint32_t maxScale = 0);

// Nearest pixel: destination pixel (x, y) takes frame pixel
// (x * 640 / width, y * 480 / height).
void ScaleFrame(const FrameBuffer& frame, uint8_t* destination, uint32_t destinationPitch, uint32_t width,
    uint32_t height);
