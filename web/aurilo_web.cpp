// The engine for the page: the same effect, pixel writer, frame clock and
// frame cycle over a plain buffer as the saver and the hack, exported to
// JavaScript as a few functions over one frame in the module's memory, with
// the rule that places the frame in a window.
#include <cstring>

#include "engine/frame/buffer_frame_cycle.hpp"
#include "engine/frame/image_placement.hpp"
#include "engine/frame/tick_schedule.hpp"

namespace {

// Red, green, blue, alpha in memory: the byte order of a canvas's ImageData.
constexpr PixelFormat canvasFormat { 32, 0x000000FF, 0x0000FF00, 0x00FF0000 };
constexpr uint32_t opaqueAlpha = 0xFF000000;

FrameBuffer frame;
bool canvasOrder = false;
ImageFit placement;
// The page's ?ticks= text, which it writes here as UTF-8.
char tickText[16384];
TickList tickList { {}, {} };
static_assert(sizeof placement == 4 * sizeof(uint32_t), "the page reads it as four words");

// Whole pixels at a time, which the compiler turns into wide stores.
void MakeOpaque()
{
    for (uint32_t i = 0; i < imageWidth * imageHeight * 4; i += 4) {
        uint32_t pixel;
        std::memcpy(&pixel, frame.bytes + i, sizeof pixel);
        pixel |= opaqueAlpha;
        std::memcpy(frame.bytes + i, &pixel, sizeof pixel);
    }
}

} // namespace

// Format 0 is the canvas's RGBA; 8, 15, 16, 24 and 32 are the renderer's.
// Returns the bytes a pixel takes, or 0 for a format there is no such thing as.
extern "C" __attribute__((export_name("start"))) uint32_t Start(int format)
{
    const PixelFormat* chosen = format == 0 ? &canvasFormat : FindRenderFormat(format);
    if (chosen == nullptr)
        return 0;
    canvasOrder = format == 0;
    StartRendering(*chosen, frame);
    return frame.bytesPerPixel;
}

// Milliseconds since the start, never decreasing.
extern "C" __attribute__((export_name("drawFrame"))) void DrawFrame(uint32_t tick)
{
    RenderFrame(tick, frame);
    if (canvasOrder)
        MakeOpaque();
}

// The 640x480 frame, row after row with no padding.
extern "C" __attribute__((export_name("pixels"))) const uint8_t* Pixels()
{
    return frame.bytes;
}

// Where the frame goes in a window of this size, by the hack's rule: x, y,
// width and height, four 32-bit words.
extern "C" __attribute__((export_name("fit"))) const ImageFit* Fit(uint32_t windowWidth, uint32_t windowHeight)
{
    placement = FitImage(windowWidth, windowHeight);
    return &placement;
}

// Where the page writes its ?ticks= text, and how much room there is.
extern "C" __attribute__((export_name("tickText"))) char* TickText()
{
    return tickText;
}

extern "C" __attribute__((export_name("tickTextSize"))) uint32_t TickTextSize()
{
    return sizeof tickText;
}

// Draws the ticks in the first `length` bytes of tickText and returns how many
// it drew; where they are not a valid list it draws none and returns 0, and
// tickFault names what is wrong.
extern "C" __attribute__((export_name("drawTicks"))) uint32_t DrawTicks(uint32_t length)
{
    const std::string_view text(tickText, length < sizeof tickText ? length : sizeof tickText);
    uint32_t tick;
    uint32_t count = 0;
    tickList = TickList(text, "?ticks");
    while (tickList.Next(tick))
        ++count;
    if (*tickList.Fault() != '\0')
        return 0;
    tickList = TickList(text, "?ticks");
    while (tickList.Next(tick))
        DrawFrame(tick);
    return count;
}

extern "C" __attribute__((export_name("tickFault"))) const char* TickFault()
{
    return tickList.Fault();
}
