#include "unix/frame_rate.hpp"

#include <cstdio>

void FrameRate::Start(uint32_t now)
{
    since = now;
    frames = 0;
}

bool FrameRate::SecondPassed(uint32_t now, double& rate)
{
    const uint32_t elapsed = now - since;
    if (elapsed < 1000)
        return false;
    rate = frames * 1000.0 / elapsed;
    frames = 0;
    since += elapsed;
    return true;
}

void PrintFrameRate(const char* program, double rate)
{
    std::fprintf(stderr, "%s: %.1f frames per second\n", program, rate);
}
