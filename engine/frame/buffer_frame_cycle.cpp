#include "engine/frame/buffer_frame_cycle.hpp"

#include <cstring>

#include "engine/effect/scene.hpp"
#include "engine/engine.hpp"

namespace {

struct NamedFormat {
    int name;
    PixelFormat format;
};

constexpr NamedFormat renderFormats[] = {
    { 8, { 8, 0xE0, 0x1C, 0x03 } },
    { 15, { 16, 0x7C00, 0x03E0, 0x001F } },
    { 16, { 16, 0xF800, 0x07E0, 0x001F } },
    { 24, { 24, 0xFF0000, 0x00FF00, 0x0000FF } },
    { 32, { 32, 0xFF0000, 0x00FF00, 0x0000FF } },
};

} // namespace

const PixelFormat* FindRenderFormat(int name)
{
    for (const NamedFormat& named : renderFormats)
        if (named.name == name)
            return &named.format;
    return nullptr;
}

void ResetScene()
{
    rotatingPicture = RotatingPicture {};
    waveField = WaveField {};
    wavePhase = 0.0f;
    orbitAngle = 0.0f;
}

void StartRendering(const PixelFormat& format, FrameBuffer& buffer)
{
    ResetScene();
    displayDescriptor = DisplayDescriptor {};
    StartEngine(0, format);
    buffer.bytesPerPixel = displayDescriptor.bytesPerPixel;
    buffer.pitch = static_cast<int32_t>(buffer.RowBytes());
}

void RenderFrame(uint32_t tick, FrameBuffer& buffer)
{
    // The fill colour is 0 in every format.
    std::memset(buffer.bytes, static_cast<int>(displayDescriptor.fillColor), sizeof buffer.bytes);
    DrawNextFrame(buffer.bytes, buffer.pitch, tick);
}
