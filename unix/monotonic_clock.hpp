// Milliseconds from the monotonic clock: the ticks the Unix front ends give the engine.
#pragma once

#include <cstdint>

uint32_t MonotonicMilliseconds();
