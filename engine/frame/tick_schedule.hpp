// Tick schedules shared by the renderer and the X11 hack's test mode: a list of
// milliseconds since set-up, ascending, one frame each.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

// The millisecond tick counter's last value before it wraps.
constexpr uint64_t largestTick = std::numeric_limits<uint32_t>::max();

// Frame k of a run at fps frames a second: trunc(k * 1000 / fps) ms after the start.
constexpr uint32_t TickOfFrame(uint64_t frame, uint64_t fps)
{
    return static_cast<uint32_t>(frame * 1000 / fps);
}

// A whole decimal number of at most maxValue, nothing else.
bool ParseDecimal(const std::string& text, uint64_t maxValue, uint64_t& value);
// "T1,T2,...": ascending (a tick may repeat), each below 2^32.
bool ParseTicks(const std::string& text, std::vector<uint32_t>& ticks, std::string& error);
