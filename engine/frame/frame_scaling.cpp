#include "engine/frame/frame_scaling.hpp"

#include <cstring>

namespace {

// Blown up whole: each pixel k times, without a division a pixel. A factor
// known when compiling lets the stores go several pixels at a time.
template <uint32_t size, uint32_t factor>
void BlowUpRow(const uint8_t* source, uint8_t* row)
{
    for (uint32_t x = 0; x < imageWidth; ++x, source += size)
        for (uint32_t i = 0; i < factor; ++i, row += size)
            std::memcpy(row, source, size);
}

template <uint32_t size>
void ScaleRow(const uint8_t* source, uint8_t* row, uint32_t width)
{
    switch (width % imageWidth == 0 ? width / imageWidth : 0) {
    case 2: return BlowUpRow<size, 2>(source, row);
    case 3: return BlowUpRow<size, 3>(source, row);
    case 4: return BlowUpRow<size, 4>(source, row);
    }
    for (uint32_t x = 0; x < width; ++x)
        std::memcpy(row + x * size, source + (x * imageWidth / width) * size, size);
}

void ScaleRow(const uint8_t* source, uint8_t* row, uint32_t width, uint32_t size)
{
    switch (size) {
    case 1: return ScaleRow<1>(source, row, width);
    case 2: return ScaleRow<2>(source, row, width);
    case 3: return ScaleRow<3>(source, row, width);
    default: return ScaleRow<4>(source, row, width);
    }
}

} // namespace

void ScaleFrame(const FrameBuffer& frame, uint8_t* destination, uint32_t destinationPitch, uint32_t width,
    uint32_t height)
{
    const uint32_t size = frame.bytesPerPixel;
    const size_t rowBytes = static_cast<size_t>(width) * size;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = destination + static_cast<size_t>(y) * destinationPitch;
        const uint32_t sourceY = y * imageHeight / height;
        if (y > 0 && sourceY == (y - 1) * imageHeight / height) {
            std::memcpy(row, row - destinationPitch, rowBytes);
            continue;
        }
        if (width == imageWidth)
            std::memcpy(row, frame.Row(sourceY), rowBytes);
        else
            ScaleRow(frame.Row(sourceY), row, width, size);
    }
}
