// Where the 640 x 480 image goes: in the saver window's client area, and in
// the windows of the hack and the page.
#pragma once

#include <cstdint>

#include "engine/frame/display_descriptor.hpp"

struct ImageRectangle {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Centred; an odd excess puts the extra pixel right and below. A client area
// smaller than the image puts the image at its top-left corner.
ImageRectangle CentredImage(uint32_t clientWidth, uint32_t clientHeight);
ImageRectangle WholeImage();

// Where the image goes in a window of any size, for the hack and the page.
//
// A window of at least 640x480 shows it blown up by the largest whole factor k
// that fits (at most maxScale when that is not 0), each pixel a k x k block so
// the dithered flower stays crisp, centred on black.
//
// A smaller window (the settings' preview pane) shows the whole image scaled
// down with its aspect kept: the side that is relatively shorter is filled, the
// other gets that side times 480/640 or 640/480, rounded down. The image is
// centred; an odd pixel of margin goes to the right or the bottom.
struct ImageFit {
    uint32_t x;
    uint32_t y;
    uint32_t width;
    uint32_t height;

    // The whole factor the image is blown up by, or 0 when it is scaled down.
    uint32_t WholeFactor() const { return width >= imageWidth && width % imageWidth == 0 ? width / imageWidth : 0; }
};

ImageFit FitImage(uint32_t windowWidth, uint32_t windowHeight, uint32_t maxScale = 0);
