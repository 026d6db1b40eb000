#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>

#include "tests/golden/golden_schedule.hpp"
#include "tools/render/image_files.hpp"

namespace {

std::string Hex(uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%016" PRIX64 "ull", value);
    return text;
}

// Leaves the frame that did not match beside the test for a look.
void KeepActualFrame(const FrameBuffer& buffer, int format, uint32_t tick)
{
    const std::string path = "actual-" + std::to_string(format) + "-" + std::to_string(tick) + ".png";
    PendingFile file;
    std::string error;
    if (file.Open(path, error) && WritePng(file.Stream(), buffer) && file.Commit(error))
        std::fprintf(stderr, "wrote %s\n", path.c_str());
}

class GoldenFrames : public testing::TestWithParam<int> { };

TEST_P(GoldenFrames, ScheduleHashesAreUnchanged)
{
    const int formatIndex = GetParam();
    const int format = goldenFormats[formatIndex];
    auto buffer = std::make_unique<FrameBuffer>();
    StartRendering(*FindRenderFormat(format), *buffer);
    std::string actual;
    bool matched = true;
    for (int i = 0; i < goldenTickCount; ++i) {
        RenderFrame(goldenTicks[i], *buffer);
        const uint64_t hash = HashFrame(*buffer);
        actual += Hex(hash) + ", ";
        if (hash != goldenHashes[formatIndex][i]) {
            if (matched)
                KeepActualFrame(*buffer, format, goldenTicks[i]);
            matched = false;
        }
    }
    EXPECT_TRUE(matched) << "format " << format << " drew other frames; if that is intended, its row is:\n    { "
                         << actual << "},";
}

INSTANTIATE_TEST_SUITE_P(AllFormats, GoldenFrames, testing::Range(0, goldenFormatCount),
    [](const testing::TestParamInfo<int>& info) { return "Format" + std::to_string(goldenFormats[info.param]); });

TEST(GoldenFrames, LongRunHashIsUnchanged)
{
    auto buffer = std::make_unique<FrameBuffer>();
    const uint64_t hash = RenderLongRun(*buffer);
    EXPECT_EQ(hash, goldenLongRunHash) << "the long run now hashes to " << Hex(hash);
}

TEST(GoldenFrames, RenderGoldenScheduleMatchesTheTable)
{
    // The helper the Windows build checks with must agree with the table too.
    auto buffer = std::make_unique<FrameBuffer>();
    uint64_t hashes[goldenTickCount];
    RenderGoldenSchedule(32, *buffer, hashes);
    for (int i = 0; i < goldenTickCount; ++i)
        EXPECT_EQ(hashes[i], goldenHashes[4][i]) << "tick " << goldenTicks[i];
}

} // namespace
