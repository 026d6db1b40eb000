// The saver's close rule for the pointer, the same on every desktop: moving it
// more than 4 pixels, counted as |dx| + |dy| from where it was first seen.
#pragma once

#include <cstdint>

struct ScreenPoint {
    int32_t x;
    int32_t y;
};

constexpr uint32_t mouseMoveThreshold = 4;

// |dx| + |dy| from the reference, compared unsigned, above the threshold.
bool MouseTravelCloses(ScreenPoint reference, ScreenPoint now);
