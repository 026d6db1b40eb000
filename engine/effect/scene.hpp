// The effect's face to the display: the one-time scene set-up and the frame
// update that advances both objects by elapsed time and draws them.
#pragma once

#include <cstdint>

#include "engine/effect/rotating_picture.hpp"
#include "engine/effect/wave_field.hpp"

struct DisplayDescriptor;

extern RotatingPicture rotatingPicture;
extern WaveField waveField;
extern float wavePhase; // grows 10 a second; its integer part's low byte is the wave phase
extern float orbitAngle; // degrees, grows 5 a second
constexpr float orbitRadius = 200.0f; // half-width of the orbit; the half-height is half of it

struct OrbitOffset {
    int32_t x;
    int32_t y;
};

void SetUpScene();
void AnimateFrame(float elapsedSeconds, DisplayDescriptor& target);

// All of AnimateFrame but the drawing: the wave phase, the orbit and the
// picture's spin and colours move on; returns where the picture goes.
OrbitOffset AdvanceScene(float elapsedSeconds);
// Its first two steps, by a number of wave phase steps (10 a second).
uint8_t AdvanceWavePhase(double phaseSteps);
OrbitOffset AdvanceOrbit(double phaseSteps);
OrbitOffset OrbitOffsetAt(float degrees);
