// The points a frame of the scene draws: every wave-field grid point and every
// set pixel of the picture. What the benchmarks divide a frame's cost by.
#pragma once

#include <cstdint>

#include "engine/effect/scene.hpp"

inline int64_t DrawnPoints()
{
    int64_t setPixels = 0;
    for (int32_t i = 0; i < rotatingPicture.byteCount; ++i)
        setPixels += __builtin_popcount(rotatingPicture.bits[i]);
    return int64_t { waveField.gridWidth } * waveField.gridHeight + setPixels;
}
