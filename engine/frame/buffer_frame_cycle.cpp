#include "engine/frame/buffer_frame_cycle.hpp"

#include <bit>
#include <cstring>

#include "engine/effect/scene.hpp"
#include "engine/engine.hpp"

namespace {

constexpr RenderFormat renderFormats[] = {
    { { 8, 0xE0, 0x1C, 0x03 }, 8 },
    { { 16, 0x7C00, 0x03E0, 0x001F }, 15 },
    { { 16, 0xF800, 0x07E0, 0x001F }, 16 },
    { { 24, 0xFF0000, 0x00FF00, 0x0000FF }, 24 },
    { { 32, 0xFF0000, 0x00FF00, 0x0000FF }, 32 },
};

PaletteEntry uniformPalette[paletteSize];

uint8_t ChannelLevel(uint32_t value, uint32_t mask)
{
    if (mask == 0)
        return 0;
    const uint32_t maximum = mask >> std::countr_zero(mask);
    const uint32_t level = (value & mask) >> std::countr_zero(mask);
    return static_cast<uint8_t>(level * 255 / maximum);
}

} // namespace

const RenderFormat* FindRenderFormat(int name)
{
    for (const RenderFormat& format : renderFormats)
        if (format.name == name)
            return &format;
    return nullptr;
}

void ResetScene()
{
    rotatingPicture = RotatingPicture {};
    waveField = WaveField {};
    wavePhase = 0.0f;
    orbitAngle = 0.0f;
}

void StartRendering(const RenderFormat& format, FrameBuffer& buffer)
{
    ResetScene();
    displayDescriptor = DisplayDescriptor {};
    StartEngine(0, format);
    DisplayDescriptor::BuildUniformPalette(uniformPalette);
    buffer.bytesPerPixel = displayDescriptor.bytesPerPixel;
    buffer.pitch = static_cast<int32_t>(buffer.RowBytes());
}

void RenderFrame(uint32_t tick, FrameBuffer& buffer)
{
    // The fill colour is 0 in every format.
    std::memset(buffer.bytes, static_cast<int>(displayDescriptor.fillColor), sizeof buffer.bytes);
    DrawNextFrame(buffer.bytes, buffer.pitch, tick);
}

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
        const PaletteEntry& entry = uniformPalette[value];
        return Rgb { entry.red, entry.green, entry.blue };
    }
    const DisplayDescriptor& format = displayDescriptor;
    return Rgb { ChannelLevel(value, format.redMask), ChannelLevel(value, format.greenMask),
        ChannelLevel(value, format.blueMask) };
}
