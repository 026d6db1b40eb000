// Golden frames: a fixed tick schedule rendered in every format, and a long
// run in the 32-bit format, each recorded as hashes. Any change to the
// effect's output shows here. To regenerate after a deliberate change, run
// aurilo-tests --gtest_filter='GoldenFrames*' and paste the hashes it prints.
#pragma once

#include <cstdint>

#include "engine/frame/buffer_frame_cycle.hpp"

constexpr int goldenFormatCount = 5;
constexpr int goldenTickCount = 12;
constexpr int longRunFrames = 1500;
constexpr uint32_t longRunTickStep = 53; // ms; 79.5 s cover an orbit and three turns

extern const int goldenFormats[goldenFormatCount];
extern const uint32_t goldenTicks[goldenTickCount];
extern const uint64_t goldenHashes[goldenFormatCount][goldenTickCount];
extern const uint64_t goldenLongRunHash;

// Renders the schedule in the format into buffer, one hash a tick.
void RenderGoldenSchedule(int format, FrameBuffer& buffer, uint64_t (&hashes)[goldenTickCount]);
// Hash of the long run's frame hashes, each folded in turn.
uint64_t RenderLongRun(FrameBuffer& buffer);
