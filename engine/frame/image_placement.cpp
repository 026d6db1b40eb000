#include "engine/frame/image_placement.hpp"

#include <algorithm>

namespace {


int32_t CentredOffset(uint32_t client, uint32_t image)
{
    return client > image ? static_cast<int32_t>((client - image) / 2) : 0;
}

ImageFit Centred(uint32_t windowWidth, uint32_t windowHeight, uint32_t width, uint32_t height)
{
    return { static_cast<uint32_t>(CentredOffset(windowWidth, width)),
        static_cast<uint32_t>(CentredOffset(windowHeight, height)), width, height };
}

} // namespace

ImageRectangle CentredImage(uint32_t clientWidth, uint32_t clientHeight)
{
    const int32_t left = CentredOffset(clientWidth, imageWidth);
    const int32_t top = CentredOffset(clientHeight, imageHeight);
    return { left, top, left + static_cast<int32_t>(imageWidth), top + static_cast<int32_t>(imageHeight) };
}

ImageRectangle WholeImage()
{
    return { 0, 0, static_cast<int32_t>(imageWidth), static_cast<int32_t>(imageHeight) };
}

ImageFit FitImage(uint32_t windowWidth, uint32_t windowHeight, uint32_t maxScale)
{
    if (windowWidth >= imageWidth && windowHeight >= imageHeight) {
        uint32_t factor = std::min(windowWidth / imageWidth, windowHeight / imageHeight);
        if (maxScale != 0)
            factor = std::min(factor, maxScale);
        return Centred(windowWidth, windowHeight, imageWidth * factor, imageHeight * factor);
    }
    // Limited by whichever side is relatively shorter.
    if (static_cast<uint64_t>(windowWidth) * imageHeight <= static_cast<uint64_t>(windowHeight) * imageWidth)
        return Centred(windowWidth, windowHeight, windowWidth, windowWidth * imageHeight / imageWidth);
    return Centred(windowWidth, windowHeight, windowHeight * imageWidth / imageHeight, windowHeight);
}
