// Where the saver window paints its text when DirectDraw cannot show the image.
#pragma once

#include <cstdint>

struct TextPosition {
    int32_t x;
    int32_t y;
};

// The text's top-left corner: 80 left of the middle, at the middle height.
TextPosition FallbackTextPosition(uint32_t clientWidth, uint32_t clientHeight);
