#include "engine/effect/scene.hpp"

#include <cmath>

#include "engine/effect/numeric.hpp"

// Initialised before anything runs; the picture first, then the wave field.
constinit RotatingPicture rotatingPicture {};
constinit WaveField waveField {};
constinit float wavePhase = 0.0f;
constinit float orbitAngle = 0.0f;

namespace {

constexpr double phaseStepsPerSecond = 10.0;
constexpr double orbitDegreesPerPhaseStep = 0.5;
constexpr double phaseCycle = 256.0;

struct Ramp {
    int start;
    int32_t count;
    Rgb from;
    Rgb to;
};

// Yellow heart, orange to pink petals, fading through lilac to black at the rim.
constexpr Ramp pictureRamps[] = {
    { 0, 22, { 230, 240, 45 }, { 200, 180, 40 } },
    { 22, 8, { 200, 180, 40 }, { 240, 70, 100 } },
    { 30, 15, { 240, 70, 100 }, { 220, 90, 184 } },
    { 45, 80, { 220, 90, 184 }, { 230, 220, 255 } },
    { 125, 50, { 230, 220, 255 }, { 0, 0, 0 } },
};

// Dark to blue to green bands and back, one row of the grid an entry.
constexpr Ramp waveRamps[] = {
    { 0, 64, { 0, 0, 0 }, { 32, 40, 128 } },
    { 64, 64, { 32, 40, 128 }, { 84, 128, 64 } },
    { 128, 64, { 84, 128, 64 }, { 32, 40, 128 } },
    { 192, 64, { 32, 40, 128 }, { 0, 0, 0 } },
};

template <int N>
void FillRamps(ColourTable& table, const Ramp (&ramps)[N])
{
    for (const Ramp& ramp : ramps)
        FillRamp(table, ramp.start, ramp.count, ramp.from.red, ramp.from.green, ramp.from.blue,
            ramp.to.red, ramp.to.green, ramp.to.blue);
}

constexpr float pictureSpinRate = 15.0f;
constexpr int32_t sineAmplitude = 128;

} // namespace

void SetUpScene()
{
    UseDoubleRounding();
    rotatingPicture.pivotX = flowerHeartX;
    rotatingPicture.pivotY = flowerHeartY;
    FillRamps(rotatingPicture.colours, pictureRamps);
    rotatingPicture.colourMode = pictureByDistance;
    rotatingPicture.spinRate = pictureSpinRate;

    FillRamps(waveField.colours, waveRamps);
    waveField.colourMode = waveByRow;
    waveField.FillSineTable(xShiftTable, 0.0f, fullTurn, 0, shiftTableSize, sineAmplitude);
    waveField.FillSineTable(yShiftTable, 0.0f, fullTurn, 0, shiftTableSize, sineAmplitude);
}

uint8_t AdvanceWavePhase(double phaseSteps)
{
    double phase = wavePhase + phaseSteps;
    // Kept below 256 so that its float never grows too coarse to move; the low
    // 8 bits of its integer part are unchanged by this.
    if (phase >= phaseCycle)
        phase -= phaseCycle;
    wavePhase = RoundToSingle(phase);
    return LowByteOfTruncation(phase);
}

OrbitOffset OrbitOffsetAt(float degrees)
{
    const double radians = degrees * DegreesToRadians;
    return OrbitOffset { TruncateToInt32(std::cos(radians) * orbitRadius),
        TruncateToInt32(std::sin(radians) * orbitRadius) / 2 };
}

OrbitOffset AdvanceOrbit(double phaseSteps)
{
    const double degrees = orbitAngle + phaseSteps * orbitDegreesPerPhaseStep;
    orbitAngle = RoundToSingle(degrees);
    if (degrees > fullTurn)
        orbitAngle = RoundToSingle(orbitAngle - fullTurn);
    return OrbitOffsetAt(orbitAngle);
}

OrbitOffset AdvanceScene(float elapsedSeconds)
{
    const double phaseSteps = elapsedSeconds * phaseStepsPerSecond;
    waveField.xPhase = waveField.yPhase = AdvanceWavePhase(phaseSteps);
    const OrbitOffset orbit = AdvanceOrbit(phaseSteps);
    rotatingPicture.Advance(elapsedSeconds);
    return orbit;
}

void AnimateFrame(float elapsedSeconds, DisplayDescriptor& target)
{
    const OrbitOffset orbit = AdvanceScene(elapsedSeconds);
    waveField.Draw(target);
    rotatingPicture.Draw(target, orbit.x, orbit.y);
}
