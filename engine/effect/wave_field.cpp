#include "engine/effect/wave_field.hpp"

#include <algorithm>
#include <cmath>

#include "engine/frame/display_descriptor.hpp"
#include "engine/effect/numeric.hpp"

void WaveField::FillSineTable(uint8_t which, float startDegrees, float endDegrees,
    int startIndex, int32_t count, int32_t amplitude)
{
    if (which > yShiftTable || count <= 0)
        return;
    int32_t* table = which == xShiftTable ? xShift : yShift;
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
    case waveByColumn:
        return static_cast<uint8_t>(colourBase + x);
    case waveByRow:
        return static_cast<uint8_t>(colourBase + y);
    case waveByDistance: {
        const uint32_t dx = static_cast<uint32_t>(x - centreX);
        const uint32_t dy = static_cast<uint32_t>(y - centreY);
        const uint32_t squares = dx * dx + dy * dy;
        return static_cast<uint8_t>(static_cast<uint32_t>(std::sqrt(static_cast<double>(squares))));
    }
    default:
        return colourBase;
    }
}

// What every row of one frame's drawing shares.
struct WaveField::FrameLayout {
    DisplayDescriptor canvas;
    uint32_t originX;
    uint32_t rowZeroY[shiftTableSize]; // screen y of row 0, by column phase
    // Rows 0 .. rowsInside - 1 stay inside the image's height at every column
    // phase; for them, rowZeroY times the pitch, by column phase.
    uint32_t rowsInside;
    intptr_t rowZeroOffset[shiftTableSize];
    PixelValues values;
};

// One loop per pixel size, so that the size is not looked at for every point;
// rows of one colour (by base or by row) take their colour once a row.
void WaveField::Draw(DisplayDescriptor& target) const
{
    FrameLayout layout;
    layout.canvas = target;
    PackColours(colours, target, layout.values);
    // Unsigned sums: wrap-around is defined, and what lands outside is dropped.
    layout.originX = imageMiddleX - static_cast<uint32_t>(centreX);
    const uint32_t originY = imageMiddleY - static_cast<uint32_t>(centreY);
    for (int i = 0; i < shiftTableSize; ++i)
        layout.rowZeroY[i] = originY + static_cast<uint32_t>(yShift[i]);
    const uint32_t lowestRow = *std::max_element(layout.rowZeroY, layout.rowZeroY + shiftTableSize);
    layout.rowsInside = lowestRow < target.height ? target.height - lowestRow : 0;
    if (layout.rowsInside != 0)
        for (int i = 0; i < shiftTableSize; ++i)
            layout.rowZeroOffset[i] = static_cast<intptr_t>(layout.rowZeroY[i]) * target.pitch;
    switch (target.bytesPerPixel) {
    case 1:
        return DrawRowsOfSize<1>(layout);
    case 2:
        return DrawRowsOfSize<2>(layout);
    case 3:
        return DrawRowsOfSize<3>(layout);
    case 4:
        return DrawRowsOfSize<4>(layout);
    default:
        return;
    }
}

template <uint32_t bytes>
void WaveField::DrawRowsOfSize(const FrameLayout& layout) const
{
    if (colourMode == waveByBase || colourMode == waveByRow)
        return DrawRows<bytes, true>(layout);
    return DrawRows<bytes, false>(layout);
}

// Out of line: one copy serves all eight row loops.
[[gnu::noinline]] WaveField::RowSpan WaveField::SpanOfRow(const FrameLayout& layout, int32_t y) const
{
    const int32_t rowX = static_cast<int32_t>(layout.originX + static_cast<uint32_t>(xShift[static_cast<uint8_t>(xPhase + y)]));
    // The columns x with 0 <= rowX + x < width; the others land outside the image.
    // Worked out wide: -rowX and width - rowX may not fit 32 bits.
    const int64_t firstX = std::max<int64_t>(0, -int64_t { rowX });
    const int64_t endX = std::min<int64_t>(gridWidth, int64_t { layout.canvas.width } - rowX);
    RowSpan span { 0, 0, 0, nullptr };
    if (firstX >= endX)
        return span;
    span.firstX = static_cast<int32_t>(firstX);
    span.endX = static_cast<int32_t>(endX);
    span.column = static_cast<uint8_t>(yPhase + span.firstX);
    span.firstPixel = layout.canvas.pixels + static_cast<uint32_t>(rowX + span.firstX) * layout.canvas.bytesPerPixel;
    return span;
}

template <uint32_t bytes, bool uniformRows>
void WaveField::DrawRows(const FrameLayout& layout) const
{
    // Pixels are stored through a byte pointer, which may alias anything read
    // through a pointer, and that would be read again for every point. Local
    // copies are safe from that and stay in registers.
    const int32_t rows = gridHeight;
    const uint8_t mode = colourMode;
    const intptr_t pitch = layout.canvas.pitch;
    for (int32_t y = 0; y < rows; ++y) {
        RowSpan span = SpanOfRow(layout, y);
        if (span.firstX >= span.endX)
            continue;
        if (static_cast<uint32_t>(y) >= layout.rowsInside) {
            DrawClippedRow(layout, span, y);
            continue;
        }
        const uint32_t rowValue = uniformRows ? layout.values[ColourIndexIn(mode, 0, y)] : 0;
        uint8_t* const end = span.firstPixel + static_cast<uint32_t>(span.endX - span.firstX) * bytes;
        int32_t x = span.firstX;
        // No point of this row can leave the image: no test, no multiply.
        const intptr_t rowOffset = y * pitch;
        for (uint8_t* pixel = span.firstPixel; pixel != end; pixel += bytes, ++span.column, ++x) {
            const uint32_t value = uniformRows ? rowValue : layout.values[ColourIndexIn(mode, x, y)];
            DisplayDescriptor::StoreValue<bytes>(pixel + rowOffset + layout.rowZeroOffset[span.column], value);
        }
    }
}

// Rows that leave the image at the top or the bottom are rare: one loop
// serves every pixel size.
void WaveField::DrawClippedRow(const FrameLayout& layout, RowSpan span, int32_t y) const
{
    const DisplayDescriptor& canvas = layout.canvas;
    const uint32_t bytes = canvas.bytesPerPixel;
    uint8_t* pixel = span.firstPixel;
    for (int32_t x = span.firstX; x != span.endX; ++x, ++span.column, pixel += bytes) {
        const uint32_t screenY = layout.rowZeroY[span.column] + static_cast<uint32_t>(y);
        if (screenY < canvas.height)
            canvas.StoreValue(pixel + static_cast<int32_t>(screenY) * canvas.pitch,
                layout.values[ColourIndexIn(colourMode, x, y)]);
    }
}
