#include "engine/frame/display_descriptor.hpp"

#include <bit>

constinit DisplayDescriptor displayDescriptor {};

int32_t MaskShift(uint32_t mask)
{
    if (mask == 0)
        return 0;
    return 24 - std::countl_zero(mask);
}

namespace {

constexpr uint32_t paletteRedMask = 0xE0;
constexpr uint32_t paletteGreenMask = 0x1C;
constexpr uint32_t paletteBlueMask = 0x03;

void SplitShift(int32_t shift, uint32_t& left, uint32_t& right)
{
    left = shift > 0 ? static_cast<uint32_t>(shift) : 0;
    right = shift < 0 ? static_cast<uint32_t>(-shift) : 0;
}

} // namespace

bool DisplayDescriptor::ConfigureFormat(uint32_t bitCount, uint32_t red, uint32_t green, uint32_t blue)
{
    if (!IsSupportedBitCount(bitCount))
        return false;
    if (bitCount == 8)
        red = paletteRedMask, green = paletteGreenMask, blue = paletteBlueMask;
    bytesPerPixel = bitCount / 8;
    redMask = red, greenMask = green, blueMask = blue;
    redShift = MaskShift(red), greenShift = MaskShift(green), blueShift = MaskShift(blue);
    SplitShift(redShift, redLeft, redRight);
    SplitShift(greenShift, greenLeft, greenRight);
    SplitShift(blueShift, blueLeft, blueRight);
    width = imageWidth;
    height = imageHeight;
    return true;
}

void DisplayDescriptor::BuildUniformPalette(PaletteEntry entries[paletteSize])
{
    for (int i = 0; i < paletteSize; ++i) {
        entries[i].red = static_cast<uint8_t>(((i >> 5) & 7) * 255 / 7);
        entries[i].green = static_cast<uint8_t>(((i >> 2) & 7) * 255 / 7);
        entries[i].blue = static_cast<uint8_t>((i & 3) * 255 / 3);
        entries[i].flags = 0;
    }
}

void DisplayDescriptor::BindPixels(uint8_t* firstRow, int32_t rowPitch)
{
    pixels = firstRow;
    pitch = rowPitch;
}
