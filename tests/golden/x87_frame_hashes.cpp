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

// Where no frame reaches: fmod of 2^31 and more, exact, against the host libm's
// remainders (Python's math.fmod); sine and cosine beyond 2^63, reduced by the
// x87's own pi, held to what any reduction gives. Volatile: not folded.
constexpr double remainderCases[][3] = { { 1099511627776.5, 3.0, 1.5 }, { -1e300, 7.25, -6.5 }, { 1e20, -3.0, 1.0 },
    { 7.5, 8589934593.0, 7.5 } };
constexpr double hugeAngles[] = { 9.3e18, -1e22, 3e300 };

int CheckMaths()
{
    int failed = 0;
    for (const auto& known : remainderCases) {
        volatile double dividend = known[0], divisor = known[1];
        const double remainder = std::fmod(dividend, divisor);
        if (remainder != known[2] && ++failed)
            std::printf("fmod(%g, %g) = %.17g, expected %.17g\n", known[0], known[1], remainder, known[2]);
    }
    for (volatile double radians : hugeAngles) {
        const double sine = std::sin(radians), cosine = std::cos(radians);
        if (!(std::fabs(sine) <= 1 && std::fabs(sine * sine + cosine * cosine - 1) <= 4 * DBL_EPSILON) && ++failed)
            std::printf("sin(%g) = %.17g, cos = %.17g\n", radians, sine, cosine);
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
