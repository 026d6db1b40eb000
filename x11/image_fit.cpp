#include "x11/image_fit.hpp"

#include <cstring>

ImageFit FitImage(uint32_t windowWidth, uint32_t windowHeight)
{
    uint32_t width = imageWidth;
    uint32_t height = imageHeight;
    if (windowWidth < imageWidth || windowHeight < imageHeight) {
        // Limited by whichever side is relatively shorter.
        if (static_cast<uint64_t>(windowWidth) * imageHeight <= static_cast<uint64_t>(windowHeight) * imageWidth) {
            width = windowWidth;
            height = windowWidth * imageHeight / imageWidth;
        } else {
            height = windowHeight;
            width = windowHeight * imageWidth / imageHeight;
        }
    }
    const uint32_t x = windowWidth > width ? (windowWidth - width) / 2 : 0;
    const uint32_t y = windowHeight > height ? (windowHeight - height) / 2 : 0;
    return { x, y, width, height };
}

void ScaleFrame(const FrameBuffer& frame, uint8_t* destination, uint32_t destinationPitch, uint32_t width,
    uint32_t height)
{
    const uint32_t size = frame.bytesPerPixel;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* sourceRow = frame.Row(y * imageHeight / height);
        uint8_t* row = destination + static_cast<size_t>(y) * destinationPitch;
        for (uint32_t x = 0; x < width; ++x)
            std::memcpy(row + x * size, sourceRow + (x * imageWidth / width) * size, size);
    }
}
