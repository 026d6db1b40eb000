// The effect's numeric rule: double-precision intermediates, single-precision
// stored floats, conversion to integer by truncation toward zero. These helpers
// keep that rule on the x87 too and keep every float-to-integer conversion defined.
#pragma once

#include <cmath>
#include <cstdint>

// Not the exact value of pi/180: the effect's angles are defined with this constant.
constexpr double DegreesToRadians = 0.0174532925;
constexpr double fullTurn = 360.0; // degrees

// GCC on the x87 may keep a float in an 80-bit register; a trip through memory
// rounds it to single precision as the rule demands.
inline float RoundToSingle(double value)
{
#if defined(__i386__) && !defined(__SSE2_MATH__)
    volatile float stored = static_cast<float>(value);
    return stored;
#else
    return static_cast<float>(value);
#endif
}

// The x87 computes in 64-bit significands unless told otherwise; at 53 bits each
// operation rounds exactly as a double does. Call on the thread that runs the effect.
inline void UseDoubleRounding()
{
#if defined(__i386__) && !defined(__SSE2_MATH__)
    uint16_t control;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    control = static_cast<uint16_t>((control & ~0x0300) | 0x0200);
    __asm__ volatile("fldcw %0" : : "m"(control));
#endif
}

constexpr double int32Limit = 2147483648.0;

// Truncation toward zero that saturates instead of overflowing; NaN gives 0.
inline int32_t TruncateToInt32(double value)
{
    if (value > -int32Limit - 1.0 && value < int32Limit)
        return static_cast<int32_t>(value);
    if (std::isnan(value))
        return 0;
    return value < 0.0 ? INT32_MIN : INT32_MAX;
}

// The low 8 bits of trunc(value) for any magnitude; NaN and infinities give 0.
inline uint8_t LowByteOfTruncation(double value)
{
    if (!(value > -int32Limit && value < int32Limit))
        value = std::isfinite(value) ? std::fmod(value, 256.0) : 0.0;
    return static_cast<uint8_t>(static_cast<int32_t>(value));
}

// floor(sqrt(squares)), stepped from the root asked for last: neighbouring
// pixels lie at neighbouring distances, so a step or two finds it, where the
// x87 square root takes dozens of cycles. The truncated double root of a
// 32-bit integer is this same value: the root is below 65536, and no root of
// a non-square comes within a double's rounding of the next integer.
struct SteppedRoot {
    uint32_t root = 0;
    uint32_t rootSquared = 0;

    uint32_t Of(uint32_t squares)
    {
        while (squares < rootSquared) {
            --root;
            rootSquared -= 2 * root + 1;
        }
        // Until (root + 1)^2 > squares, a test that cannot overflow at 65535.
        while (squares - rootSquared > 2 * root) {
            rootSquared += 2 * root + 1;
            ++root;
        }
        return root;
    }
};
