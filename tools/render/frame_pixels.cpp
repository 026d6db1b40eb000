#include "tools/render/frame_pixels.hpp"

#include <bit>

namespace {

uint8_t ChannelLevel(uint32_t value, uint32_t mask)
{
    if (mask == 0)
        return 0;
    const uint32_t maximum = mask >> std::countr_zero(mask);
    const uint32_t level = (value & mask) >> std::countr_zero(mask);
    return static_cast<uint8_t>(level * 255 / maximum);
}

struct UniformPalette {
    PaletteEntry entries[paletteSize];
    UniformPalette() { DisplayDescriptor::BuildUniformPalette(entries); }
};

} // namespace

uint64_t HashFrame(const FrameBuffer& buffer)
{
    // FNV-1a over the image's rows.
    uint64_t hash = 0xCBF29CE484222325ull;
    for (uint32_t y = 0; y < imageHeight; ++y) {
        const uint8_t* row = buffer.Row(y);
        for (uint32_t i = 0; i < buffer.RowBytes(); ++i)
            hash = (hash ^ row[i]) * 0x100000001B3ull;
    }
    return hash;
}

Rgb PixelColour(const FrameBuffer& buffer, uint32_t x, uint32_t y)
{
    const uint8_t* pixel = buffer.Row(y) + x * buffer.bytesPerPixel;
    uint32_t value = 0;
    for (uint32_t i = 0; i < buffer.bytesPerPixel; ++i)
        value |= static_cast<uint32_t>(pixel[i]) << (8 * i);
    if (buffer.bytesPerPixel == 1) {
        static const UniformPalette uniformPalette;
        const PaletteEntry& entry = uniformPalette.entries[value];
        return Rgb { entry.red, entry.green, entry.blue };
    }
    const DisplayDescriptor& format = displayDescriptor;
    return Rgb { ChannelLevel(value, format.redMask), ChannelLevel(value, format.greenMask),
        ChannelLevel(value, format.blueMask) };
}
