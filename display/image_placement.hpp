// Where the 640 x 480 image goes in the saver window's client area.
#pragma once

#include <cstdint>

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

struct TextPosition {
    int32_t x;
    int32_t y;
};

// The fallback text's top-left corner: 80 left of the middle, at the middle height.
TextPosition FallbackTextPosition(uint32_t clientWidth, uint32_t clientHeight);
