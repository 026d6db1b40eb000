#include "engine/effect/colour_table.hpp"

#include "engine/frame/display_descriptor.hpp"
#include "engine/effect/numeric.hpp"

namespace {

// The step is divided in double and kept as a single float; that rounding is
// why some ramps end one below their target.
float RampStep(int from, int to, int32_t divisor)
{
    return RoundToSingle(static_cast<double>(to - from) / divisor);
}

uint8_t RampComponent(float from, float step, int32_t i)
{
    return static_cast<uint8_t>(static_cast<int32_t>(from + static_cast<double>(i) * step));
}

} // namespace

void FillRamp(ColourTable& table, int start, int32_t count,
    int fromRed, int fromGreen, int fromBlue,
    int toRed, int toGreen, int toBlue)
{
    if (count <= 0)
        return;
    const uint8_t first = static_cast<uint8_t>(start);
    fromRed &= 0xFF, fromGreen &= 0xFF, fromBlue &= 0xFF;
    toRed &= 0xFF, toGreen &= 0xFF, toBlue &= 0xFF;

    if (count == 1) {
        // A one-entry ramp has no step to take; it is just its start colour.
        table[first] = Rgb { static_cast<uint8_t>(fromRed), static_cast<uint8_t>(fromGreen),
            static_cast<uint8_t>(fromBlue) };
        return;
    }

    const int32_t divisor = count - 1;
    const float stepRed = RampStep(fromRed, toRed, divisor);
    const float stepGreen = RampStep(fromGreen, toGreen, divisor);
    const float stepBlue = RampStep(fromBlue, toBlue, divisor);
    const float startRed = static_cast<float>(fromRed);
    const float startGreen = static_cast<float>(fromGreen);
    const float startBlue = static_cast<float>(fromBlue);

    for (int32_t i = 0; i < count; ++i) {
        Rgb& entry = table[static_cast<uint8_t>(first + i)];
        entry.red = RampComponent(startRed, stepRed, i);
        entry.green = RampComponent(startGreen, stepGreen, i);
        entry.blue = RampComponent(startBlue, stepBlue, i);
    }
}

void PackColours(const ColourTable& table, const DisplayDescriptor& target, PixelValues& values)
{
    for (int i = 0; i < colourTableSize; ++i) {
        const Rgb& colour = table.entries[i];
        values[i] = target.PackColour(colour.red, colour.green, colour.blue);
    }
}
