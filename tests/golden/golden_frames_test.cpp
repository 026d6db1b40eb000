#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "engine/frame/frame_clock.hpp"
#include "engine/effect/scene.hpp"
#include "engine/frame/tick_schedule.hpp"
#include "tests/golden/golden_schedule.hpp"
#include "tests/point_by_point.hpp"
#include "tools/render/frame_pixels.hpp"
#include "tools/render/image_files.hpp"

namespace {

std::string Hex(uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%016" PRIX64 "ull", value);
    return text;
}

void KeepImage(const std::string& path, const FrameBuffer& buffer)
{
    PendingFile file;
    std::string error;
    if (file.Open(path, error) && WritePng(file.Stream(), buffer) && file.Commit(error))
        std::fprintf(stderr, "wrote %s\n", path.c_str());
}

// Leaves the frame that did not match in the build folder for a person to
// look at, beside a diff: white where it differs from the same scene drawn
// point by point. A black diff means the drawing holds and the motion or the
// colours changed.
void KeepActualFrame(const FrameBuffer& buffer, int format, uint32_t tick)
{
    const std::string stem = AURILO_TEST_OUTPUT_DIR "/golden-" + std::to_string(format) + "-" + std::to_string(tick);
    KeepImage(stem + "-actual.png", buffer);
    auto model = std::make_unique<FrameBuffer>(buffer);
    std::memset(model->bytes, 0, sizeof model->bytes);
    displayDescriptor.BindPixels(model->bytes, model->pitch);
    DrawPointByPoint(displayDescriptor);
    for (size_t i = 0; i < sizeof model->bytes; ++i)
        model->bytes[i] = model->bytes[i] == buffer.bytes[i] ? 0x00 : 0xFF;
    KeepImage(stem + "-diff.png", *model);
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
    // The helper the Windows build checks with must agree with the table too;
    // twice in one process, so the second run starts from a scene reset whole.
    auto buffer = std::make_unique<FrameBuffer>();
    uint64_t hashes[goldenTickCount];
    for (int run = 1; run <= 2; ++run) {
        RenderGoldenSchedule(32, *buffer, hashes);
        for (int i = 0; i < goldenTickCount; ++i)
            EXPECT_EQ(hashes[i], goldenHashes[4][i]) << "run " << run << ", tick " << goldenTicks[i];
    }
}

// The scene's motion worked out on its own from the rules: seconds from the
// millisecond tick as a double times the single 0.001, every step formed in
// double and kept as a single.
struct ReferenceMotion {
    float totalSeconds = 0.0f;
    float wavePhase = 0.0f;
    float orbitAngle = 0.0f;
    float spinAngle = 0.0f;

    void Step(uint32_t tick)
    {
        const double seconds = tick * static_cast<double>(0.001f);
        const float delta = static_cast<float>(seconds - totalSeconds);
        totalSeconds = static_cast<float>(seconds);
        const double phaseSteps = static_cast<double>(delta) * 10.0;
        const double phase = wavePhase + phaseSteps;
        wavePhase = static_cast<float>(phase >= 256.0 ? phase - 256.0 : phase);
        const double degrees = orbitAngle + phaseSteps * 0.5;
        orbitAngle = static_cast<float>(degrees);
        if (degrees > 360.0)
            orbitAngle = static_cast<float>(orbitAngle - 360.0);
        spinAngle = static_cast<float>(15.0 * delta + spinAngle);
        if (spinAngle > 360.0f)
            spinAngle = static_cast<float>(spinAngle - 360.0);
        if (spinAngle < 0.0f)
            spinAngle = static_cast<float>(spinAngle + 360.0);
    }
};

// Hours and a week of 60 Hz frames, without drawing them: the motion state
// must stay bit for bit on the model's (a step formed in single precision
// drifts within minutes), and the last frame must still draw as it did.
TEST(GoldenFrames, MotionAfterHoursAndAWeekOfSixtyHertzFrames)
{
    constexpr uint64_t twoHours = 2ull * 60 * 60 * 60;
    constexpr uint64_t aWeek = 7ull * 24 * 60 * 60 * 60;
    auto buffer = std::make_unique<FrameBuffer>();
    StartRendering(*FindRenderFormat(32), *buffer);
    ReferenceMotion model;
    uint64_t frame = 1;
    for (const uint64_t until : { twoHours, aWeek }) {
        for (; frame < until; ++frame) {
            const uint32_t tick = TickOfFrame(frame, 60);
            frameClock.Advance(tick);
            AdvanceScene(frameClock.deltaSeconds);
            model.Step(tick);
        }
        EXPECT_EQ(wavePhase, model.wavePhase) << "after frame " << frame;
        EXPECT_EQ(orbitAngle, model.orbitAngle) << "after frame " << frame;
        EXPECT_EQ(rotatingPicture.angle, model.spinAngle) << "after frame " << frame;
    }
    RenderFrame(TickOfFrame(aWeek, 60), *buffer);
    model.Step(TickOfFrame(aWeek, 60));
    EXPECT_EQ(orbitAngle, model.orbitAngle);
    EXPECT_EQ(model.wavePhase, 251.379684f);
    EXPECT_EQ(model.orbitAngle, 157.418472f);
    EXPECT_EQ(model.spinAngle, 113.067932f);
    EXPECT_EQ(HashFrame(*buffer), 0xF9394BEA7118BE70ull) << "the week's last frame hashes to " << Hex(HashFrame(*buffer));
}

} // namespace
