#include "effect/wave_field.hpp"

#include <cmath>

#include "display/display_descriptor.hpp"
#include "effect/numeric.hpp"

namespace {

// The grid's centre lands on the middle of the 640 x 480 image, whatever the target's size.
constexpr uint32_t imageMiddleX = 320;
constexpr uint32_t imageMiddleY = 240;

} // namespace

void WaveField::FillSineTable(uint8_t which, float startDegrees, float endDegrees,
    int startIndex, int32_t count, int32_t amplitude)
{
    if (which > 1 || count <= 0)
        return;
    int32_t* table = which == 0 ? xShift : yShift;
    const float step = RoundToSingle((static_cast<double>(endDegrees) - startDegrees) / count);
    const int first = startIndex & 0xFF;
    for (int32_t i = 0; i < count; ++i) {
        // Callers keep first + count within the table; one that does not
        // gets no write past its end.
        const int position = first + (i & 0xFF);
        if (position >= shiftTableSize)
            continue;
        const double degrees = startDegrees + static_cast<double>(i) * step;
        table[position] = TruncateToInt32(amplitude * std::sin(degrees * DegreesToRadians));
    }
}

uint8_t WaveField::ColourIndexIn(uint8_t mode, int32_t x, int32_t y) const
{
    switch (mode) {
    case 1:
        return static_cast<uint8_t>(colourBase + x);
    case 2:
        return static_cast<uint8_t>(colourBase + y);
    case 3: {
        const uint32_t dx = static_cast<uint32_t>(x - centreX);
        const uint32_t dy = static_cast<uint32_t>(y - centreY);
        const uint32_t squares = dx * dx + dy * dy;
        return static_cast<uint8_t>(static_cast<uint32_t>(std::sqrt(static_cast<double>(squares))));
    }
    default:
        return colourBase;
    }
}

// One loop per colour mode, so that the mode is not looked at for every point.
void WaveField::Draw(DisplayDescriptor& target) const
{
    switch (colourMode) {
    case 1:
        return DrawGrid<1>(target);
    case 2:
        return DrawGrid<2>(target);
    case 3:
        return DrawGrid<3>(target);
    default:
        return DrawGrid<0>(target);
    }
}

template <uint8_t mode>
void WaveField::DrawGrid(DisplayDescriptor& target) const
{
    // Pixels are stored through a byte pointer, which may alias any field read
    // through a pointer, and such fields would be read again for every point.
    // Local copies are safe from that and stay in registers.
    const WaveField field = *this;
    DisplayDescriptor canvas = target;
    // Unsigned sums: wrap-around is defined, and PutPixel drops what lands outside.
    const uint32_t originX = imageMiddleX - static_cast<uint32_t>(field.centreX);
    const uint32_t originY = imageMiddleY - static_cast<uint32_t>(field.centreY);
    for (int32_t y = 0; y < field.gridHeight; ++y) {
        const uint32_t rowX = originX + static_cast<uint32_t>(field.xShift[static_cast<uint8_t>(field.xPhase + y)]);
        for (int32_t x = 0; x < field.gridWidth; ++x) {
            const Rgb& colour = field.colours[field.ColourIndexIn(mode, x, y)];
            const uint32_t screenX = rowX + static_cast<uint32_t>(x);
            const uint32_t screenY = originY + static_cast<uint32_t>(y)
                + static_cast<uint32_t>(field.yShift[static_cast<uint8_t>(field.yPhase + x)]);
            canvas.PutPixel(screenX, screenY, colour.red, colour.green, colour.blue);
        }
    }
}
