// Tick schedules shared by the renderer and the test modes of the hack and the
// page: a list of milliseconds since set-up, in order (equal ones allowed), one frame each.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

// The millisecond tick counter's last value before it wraps.
constexpr uint64_t largestTick = std::numeric_limits<uint32_t>::max();

// Frame k of a run at fps frames a second: trunc(k * 1000 / fps) ms after the start.
constexpr uint32_t TickOfFrame(uint64_t frame, uint64_t fps)
{
    return static_cast<uint32_t>(frame * 1000 / fps);
}

// A whole decimal number of at most maxValue, nothing else.
bool ParseDecimal(std::string_view text, uint64_t maxValue, uint64_t& value);

// Walks "T1,T2,...": whole ticks below 2^32, each at least the one before. It
// needs no heap, so the page's module reads its query with it too. A fault is
// one line that names the option as its user spelt it.
class TickList {
public:
    constexpr TickList(std::string_view text, std::string_view option)
        : rest_(text)
        , option_(option)
    {
    }
    // The next tick; false at the end, or at a fault that Fault() then names.
    bool Next(uint32_t& tick);
    const char* Fault() const { return fault_; }

private:
    void NoteFault(std::initializer_list<std::string_view> pieces);

    std::string_view rest_;
    std::string_view option_;
    bool ended_ = false;
    bool first_ = true;
    uint32_t last_ = 0;
    char fault_[128] = {};
};

// The whole list, or false with its fault.
bool ParseTicks(std::string_view text, std::string_view option, std::vector<uint32_t>& ticks, std::string& error);
