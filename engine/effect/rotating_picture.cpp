#include "engine/effect/rotating_picture.hpp"

#include <bit>
#include <cmath>
#include <cstdlib>

#include "engine/frame/display_descriptor.hpp"
#include "engine/effect/numeric.hpp"

namespace {

// Wraps at 2^32 as the distance is defined.
uint32_t SumOfSquares(int32_t px, int32_t py)
{
    const uint32_t x = static_cast<uint32_t>(px);
    const uint32_t y = static_cast<uint32_t>(py);
    return x * x + y * y;
}

} // namespace

void RotatingPicture::Advance(float elapsedSeconds)
{
    const double phase = static_cast<double>(colourRate) * elapsedSeconds + colourPhase;
    colourPhase = RoundToSingle(phase);
    colourOffset = LowByteOfTruncation(phase);

    angle = RoundToSingle(static_cast<double>(spinRate) * elapsedSeconds + angle);
    // One correction each way per call; both tests read the stored single.
    if (angle > fullTurn)
        angle = RoundToSingle(angle - fullTurn);
    if (angle < 0.0f)
        angle = RoundToSingle(angle + fullTurn);
}

uint8_t RotatingPicture::ColourIndexIn(uint8_t mode, uint8_t offset, int32_t px, int32_t py)
{
    switch (mode) {
    case pictureByPx:
        return static_cast<uint8_t>(offset + std::abs(px));
    case pictureByPy:
        return static_cast<uint8_t>(offset + std::abs(py));
    case pictureByDistance: {
        // The root of a 32-bit value is below 65536: the signed conversions
        // give the same values as unsigned ones, at less cost on every target.
        const double root = std::sqrt(static_cast<double>(static_cast<int64_t>(SumOfSquares(px, py))));
        return static_cast<uint8_t>(offset + static_cast<int32_t>(root));
    }
    default:
        return offset;
    }
}

void RotatingPicture::Draw(DisplayDescriptor& target, int32_t orbitX, int32_t orbitY) const
{
    const double radians = angle * DegreesToRadians;
    const double sine = RoundToSingle(std::sin(radians));
    const double cosine = RoundToSingle(std::cos(radians));
    // An angle that is not a number would leave no position to truncate.
    if (std::isnan(sine) || std::isnan(cosine))
        return;
    const uint32_t originX = imageMiddleX + static_cast<uint32_t>(orbitX);
    const uint32_t originY = imageMiddleY + static_cast<uint32_t>(orbitY);
    // One loop per colour mode, so that the mode is not looked at for every pixel.
    switch (colourMode) {
    case pictureByPx:
        return DrawPixels<pictureByPx>(target, sine, cosine, originX, originY);
    case pictureByPy:
        return DrawPixels<pictureByPy>(target, sine, cosine, originX, originY);
    case pictureByDistance:
        return DrawPixels<pictureByDistance>(target, sine, cosine, originX, originY);
    default:
        return DrawPixels<pictureByOffset>(target, sine, cosine, originX, originY);
    }
}

template <uint8_t mode>
void RotatingPicture::DrawPixels(DisplayDescriptor& target, double sine, double cosine,
    uint32_t originX, uint32_t originY) const
{
    // Pixels are stored through a byte pointer, which may alias any field read
    // through a pointer, and such fields would be read again for every pixel.
    // Local copies are safe from that and stay in registers.
    const DisplayDescriptor canvas = target;
    const int32_t byteCount = this->byteCount;
    const int32_t bytesPerRow = this->bytesPerRow;
    const int32_t pivotX = this->pivotX;
    const int32_t pivotY = this->pivotY;
    const uint8_t* const bits = this->bits;
    const uint8_t offset = colourOffset;
    PixelValues values;
    PackColours(colours, target, values);
    SteppedRoot distance;
    // Last byte first, rightmost pixel (lowest bit) first: where two pixels
    // land on one screen position, the one earlier in reading order wins.
    for (int32_t byte = byteCount - 1; byte >= 0; --byte) {
        uint32_t remaining = bits[byte];
        if (remaining == 0)
            continue;
        const int32_t py = byte / bytesPerRow - pivotY;
        const int32_t rightmostPx = 8 * (byte % bytesPerRow) + 7 - pivotX;
        for (; remaining != 0; remaining &= remaining - 1) {
            const int32_t px = rightmostPx - std::countr_zero(remaining);
            // Offsets within the picture keep both products far inside int range.
            const uint32_t screenX = originX + static_cast<uint32_t>(static_cast<int32_t>(px * cosine - py * sine));
            const uint32_t screenY = originY + static_cast<uint32_t>(static_cast<int32_t>(px * sine + py * cosine));
            // Negative positions arrive as large unsigned values and are dropped too.
            if (screenX >= canvas.width || screenY >= canvas.height)
                continue;
            const uint8_t index = mode == pictureByDistance ? static_cast<uint8_t>(offset + distance.Of(SumOfSquares(px, py)))
                                            : ColourIndexIn(mode, offset, px, py);
            canvas.StoreValue(canvas.PixelAddress(screenX, screenY), values[index]);
        }
    }
}
