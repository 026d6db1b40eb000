#include "display/image_placement.hpp"

#include "display/display_descriptor.hpp"

namespace {

constexpr int32_t fallbackTextLeftOfMiddle = 80;

int32_t CentredOffset(uint32_t client, uint32_t image)
{
    return client > image ? static_cast<int32_t>((client - image) / 2) : 0;
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

TextPosition FallbackTextPosition(uint32_t clientWidth, uint32_t clientHeight)
{
    return { static_cast<int32_t>(clientWidth / 2) - fallbackTextLeftOfMiddle, static_cast<int32_t>(clientHeight / 2) };
}
