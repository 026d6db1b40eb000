// The engine as the saver compiles it (i686, x87 arithmetic, the saver's own
// maths routines) must draw exactly the frames the native build draws; and
// those routines must hold where no frame reaches. Prints each mismatch;
// exit 1 on any.
#include <cfloat>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "tests/golden/golden_schedule.hpp"

namespace {

// fmod is exact: these remainders are the host libm's (Python's math.fmod),
// for dividends of 2^31 and more, which no frame reaches.
struct RemainderCase {
    double dividend;
    double divisor;
    double remainder;
};
constexpr RemainderCase remainderCases[] = {
    { 1099511627776.5, 3.0, 1.5 },
    { -1e300, 7.25, -6.5 },
    { 1e20, -3.0, 1.0 },
    { 7.5, 8589934593.0, 7.5 },
};

// Beyond 2^63 fsin and fcos need the argument reduced first. The x87's pi is
// not libm's, so these are held to what any reduction gives.
constexpr double hugeAngles[] = { 9.3e18, -1e22, 3e300 };

int CheckMaths()
{
    int failed = 0;
    for (const RemainderCase& known : remainderCases) {
        volatile double dividend = known.dividend, divisor = known.divisor; // not folded by the compiler
        const double remainder = std::fmod(dividend, divisor);
        if (remainder != known.remainder) {
            std::printf("fmod(%g, %g) = %.17g, expected %.17g\n", known.dividend, known.divisor, remainder, known.remainder);
            ++failed;
        }
    }
    for (double angle : hugeAngles) {
        volatile double radians = angle;
        const double sine = std::sin(radians), cosine = std::cos(radians);
        if (!(std::fabs(sine) <= 1 && std::fabs(sine * sine + cosine * cosine - 1) <= 4 * DBL_EPSILON)) {
            std::printf("sin(%g) = %.17g, cos = %.17g\n", angle, sine, cosine);
            ++failed;
        }
    }
    return failed;
}

} // namespace

int main()
{
    static FrameBuffer buffer;
    int mismatches = 0;
    int checked = 0;
    for (int formatIndex = 0; formatIndex < goldenFormatCount; ++formatIndex) {
        uint64_t hashes[goldenTickCount];
        RenderGoldenSchedule(goldenFormats[formatIndex], buffer, hashes);
        for (int i = 0; i < goldenTickCount; ++i, ++checked) {
            if (hashes[i] == goldenHashes[formatIndex][i])
                continue;
            std::printf("format %d tick %" PRIu32 ": 0x%016" PRIX64 ", expected 0x%016" PRIX64 "\n",
                goldenFormats[formatIndex], goldenTicks[i], hashes[i], goldenHashes[formatIndex][i]);
            ++mismatches;
        }
    }
    const uint64_t longRun = RenderLongRun(buffer);
    ++checked;
    if (longRun != goldenLongRunHash) {
        std::printf("long run: 0x%016" PRIX64 ", expected 0x%016" PRIX64 "\n", longRun, goldenLongRunHash);
        ++mismatches;
    }
    const int mathsFailed = CheckMaths();
    checked += static_cast<int>(std::size(remainderCases) + std::size(hugeAngles));
    mismatches += mathsFailed;
    std::printf("%d passed, %d failed\n", checked - mismatches, mismatches);
    return mismatches == 0 ? 0 : 1;
}
