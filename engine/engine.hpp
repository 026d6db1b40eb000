// The one way into the engine, the same for every front end: start the scene
// at a tick in a pixel format, then draw each next frame into a canvas at a
// later tick. What a front end owns is the canvas, where its ticks come from,
// and how the frame reaches the screen.
#pragma once

#include <cstdint>

#include "engine/effect/scene.hpp"
#include "engine/frame/display_descriptor.hpp"
#include "engine/frame/frame_clock.hpp"

// Configures the pixel writer, starts the frame clock at tick and sets the
// scene up. False, with nothing started, for a format the pixel writer cannot
// write.
inline bool StartEngine(uint32_t tick, const PixelFormat& format)
{
    if (!displayDescriptor.ConfigureFormat(format.bitCount, format.redMask, format.greenMask, format.blueMask))
        return false;
    frameClock.Start(tick);
    SetUpScene();
    return true;
}

// Binds the canvas (a 640x480 image in the started format, rows pitch bytes
// apart, already cleared), advances the clock to tick and draws the scene.
inline void DrawNextFrame(uint8_t* canvas, int32_t pitch, uint32_t tick)
{
    displayDescriptor.BindPixels(canvas, pitch);
    frameClock.Advance(tick);
    AnimateFrame(frameClock.deltaSeconds, displayDescriptor);
}
