// Where the image goes on one output. The compositor places surfaces in
// logical pixels, the output shows device pixels; at a fractional scale a
// logical pixel is no whole number of device pixels, so the image's surface
// covers the smallest span of whole logical pixels that are also whole device
// pixels, and its buffer is that span in device pixels, mapped 1:1, with the
// image inside it and black around.
#pragma once

#include <cstdint>

#include "engine/frame/image_placement.hpp"

struct OutputLayout {
    ImageFit fit; // the image on the output, in device pixels
    int32_t x; // the image surface's place, logical
    int32_t y;
    uint32_t width; // its size, logical
    uint32_t height;
    uint32_t bufferWidth; // its buffer's size: device pixels, or 640x480 when the compositor scales
    uint32_t bufferHeight;
    uint32_t imageX; // where the image lies in the buffer
    uint32_t imageY;
    int32_t bufferScale; // whole output scales need no viewport
    bool viewport; // the logical size is set with a viewport
};

// Device and logical sizes of the output (logical 0: the same as device).
OutputLayout LayOutImage(uint32_t deviceWidth, uint32_t deviceHeight, uint32_t logicalWidth, uint32_t logicalHeight,
    uint32_t maxScale, bool compositorScaling);
