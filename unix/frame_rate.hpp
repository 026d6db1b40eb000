// The frame rate that -fps reports: frames counted, and once a second the
// rate reached, on stderr as "PROGRAM: R frames per second".
#pragma once

#include <cstdint>

struct FrameRate {
    uint32_t since = 0; // milliseconds
    uint32_t frames = 0;

    void Start(uint32_t now);
    // True once a second has passed since the last rate, which it gives.
    bool SecondPassed(uint32_t now, double& rate);
};

void PrintFrameRate(const char* program, double rate);
