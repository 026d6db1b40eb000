// Seconds since set-up and since the last drawn frame, from a millisecond tick
// counter that wraps at 2^32.
#pragma once

#include <cstdint>

struct FrameClock {
    uint32_t startTick = 0;
    float totalSeconds = 0.0f;
    float deltaSeconds = 0.0f; // what the effect advances by

    void Start(uint32_t tick);
    void Advance(uint32_t tick);
};

extern FrameClock frameClock;
