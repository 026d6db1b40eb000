#include "engine/frame/frame_clock.hpp"

#include "engine/effect/numeric.hpp"

constinit FrameClock frameClock {};

namespace {

constexpr float secondsPerMillisecond = 0.001f;

} // namespace

void FrameClock::Start(uint32_t tick)
{
    startTick = tick;
    totalSeconds = 0.0f;
    deltaSeconds = 0.0f;
}

void FrameClock::Advance(uint32_t tick)
{
    // The unsigned difference survives the counter's wrap.
    const uint32_t milliseconds = tick - startTick;
    const double seconds = static_cast<double>(milliseconds) * secondsPerMillisecond;
    deltaSeconds = RoundToSingle(seconds - totalSeconds);
    totalSeconds = RoundToSingle(seconds);
}
