// The engine as the saver compiles it (i686, x87 arithmetic) must draw exactly
// the frames the native build draws. Prints each mismatch; exit 1 on any.
#include <cinttypes>
#include <cstdio>

#include "tests/golden/golden_schedule.hpp"

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
    std::printf("%d passed, %d failed\n", checked - mismatches, mismatches);
    return mismatches == 0 ? 0 : 1;
}
