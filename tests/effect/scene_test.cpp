#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "engine/effect/scene.hpp"
#include "engine/frame/buffer_frame_cycle.hpp"
#include "tests/test_canvas.hpp"

namespace {

class Scene : public testing::Test {
protected:
    void SetUp() override
    {
        ResetScene();
    }
};

void ExpectEntry(const ColourTable& table, int index, int red, int green, int blue)
{
    const Rgb& entry = table[static_cast<uint8_t>(index)];
    EXPECT_EQ(RgbValue(entry.red, entry.green, entry.blue), RgbValue(red, green, blue)) << "entry " << index;
}

TEST_F(Scene, SetUpGivesThePictureItsPivotColoursModeAndSpin)
{
    SetUpScene();
    EXPECT_EQ(rotatingPicture.pivotX, 132);
    EXPECT_EQ(rotatingPicture.pivotY, 114);
    EXPECT_EQ(rotatingPicture.colourMode, 3);
    EXPECT_EQ(rotatingPicture.spinRate, 15.0f);
    EXPECT_EQ(rotatingPicture.colourRate, 0.0f);
    const ColourTable& colours = rotatingPicture.colours;
    ExpectEntry(colours, 0, 230, 240, 45);
    ExpectEntry(colours, 7, 219, 219, 43);
    ExpectEntry(colours, 21, 199, 179, 39);
    ExpectEntry(colours, 22, 200, 180, 40);
    ExpectEntry(colours, 29, 240, 69, 99);
    ExpectEntry(colours, 30, 240, 70, 100);
    ExpectEntry(colours, 44, 219, 90, 184);
    ExpectEntry(colours, 45, 220, 90, 184);
    ExpectEntry(colours, 124, 230, 219, 254);
    ExpectEntry(colours, 125, 230, 220, 255);
    ExpectEntry(colours, 173, 4, 4, 5);
    ExpectEntry(colours, 174, 0, 0, 0);
    ExpectEntry(colours, 175, 255, 255, 255);
    ExpectEntry(colours, 255, 255, 255, 255);
}

TEST_F(Scene, SetUpGivesTheWaveFieldItsBandsModeAndSineTables)
{
    SetUpScene();
    EXPECT_EQ(waveField.colourMode, 2);
    EXPECT_EQ(waveField.colourBase, 0);
    const ColourTable& colours = waveField.colours;
    ExpectEntry(colours, 0, 0, 0, 0);
    ExpectEntry(colours, 63, 32, 40, 128);
    ExpectEntry(colours, 64, 32, 40, 128);
    ExpectEntry(colours, 127, 84, 128, 63);
    ExpectEntry(colours, 128, 84, 128, 64);
    ExpectEntry(colours, 191, 31, 39, 128);
    ExpectEntry(colours, 223, 16, 20, 65);
    ExpectEntry(colours, 255, 0, 0, 0);
    EXPECT_EQ(waveField.xShift[64], 128);
    EXPECT_EQ(waveField.yShift[192], -128);
}

TEST_F(Scene, FirstFrameWithNoTimeDrawsThePictureUnturnedRightOfTheMiddle)
{
    SetUpScene();
    auto canvas = std::make_unique<TestCanvas>();
    AnimateFrame(0.0f, canvas->descriptor);
    EXPECT_EQ(waveField.xPhase, 0);
    EXPECT_EQ(waveField.yPhase, 0);
    EXPECT_EQ(rotatingPicture.angle, 0.0f);

    // Unturned, every set picture pixel lands at (520, 240) plus its offset,
    // coloured by its distance from the pivot.
    int checked = 0;
    for (int row = 100; row < 130; ++row)
        for (int column = 120; column < 150; ++column) {
            const uint8_t byte = flowerPicture[row * flowerPictureBytesPerRow + column / 8];
            if ((byte & (0x80 >> (column % 8))) == 0)
                continue;
            const int px = column - 132, py = row - 114;
            const Rgb& colour = rotatingPicture.colours[static_cast<uint8_t>(std::sqrt(px * px + py * py))];
            EXPECT_EQ(canvas->At(520 + px, 240 + py), RgbValue(colour.red, colour.green, colour.blue));
            ++checked;
        }
    EXPECT_GT(checked, 300);
}

TEST_F(Scene, NoElapsedTimeDrawsTheSameFrameAgain)
{
    SetUpScene();
    auto first = std::make_unique<TestCanvas>();
    auto second = std::make_unique<TestCanvas>();
    AnimateFrame(1.25f, first->descriptor);
    AnimateFrame(0.0f, second->descriptor);
    EXPECT_EQ(std::memcmp(first->pixels, second->pixels, sizeof first->pixels), 0);
}

TEST_F(Scene, OrbitIsAnEllipseHalfAsHighAsWide)
{
    EXPECT_EQ(OrbitOffsetAt(0.0f).x, 200);
    EXPECT_EQ(OrbitOffsetAt(0.0f).y, 0);
    EXPECT_EQ(OrbitOffsetAt(90.0f).x, 0);
    EXPECT_EQ(OrbitOffsetAt(90.0f).y, 100);
    EXPECT_EQ(OrbitOffsetAt(180.0f).x, -200);
    EXPECT_EQ(OrbitOffsetAt(180.0f).y, 0);
    EXPECT_EQ(OrbitOffsetAt(270.0f).x, 0);
    EXPECT_EQ(OrbitOffsetAt(270.0f).y, -100);
    // The halving truncates toward zero: trunc(200 sin 264.3) = -199, half -99.
    EXPECT_EQ(OrbitOffsetAt(264.3f).y, -99);
}

TEST_F(Scene, OrbitAngleWrapsOnlyWhenItPassesAFullTurn)
{
    orbitAngle = 359.9f;
    AdvanceOrbit(1.0); // + 0.5 degrees
    EXPECT_NEAR(orbitAngle, 0.4f, 1e-4);

    orbitAngle = 359.5f;
    const OrbitOffset offset = AdvanceOrbit(1.0);
    EXPECT_EQ(orbitAngle, 360.0f);
    EXPECT_EQ(offset.x, 200);
    EXPECT_EQ(offset.y, 0);

    // A pause of many turns is reduced by one turn only.
    orbitAngle = 10.0f;
    AdvanceOrbit(2000.0); // + 1000 degrees
    EXPECT_EQ(orbitAngle, 650.0f);
}

TEST_F(Scene, WavePhaseIsTheLowByteOfItsIntegerPart)
{
    wavePhase = 250.0f;
    EXPECT_EQ(AdvanceWavePhase(5.9), 255);
    EXPECT_EQ(AdvanceWavePhase(0.3), 0);
    // Kept below a full cycle so its float stays fine-grained.
    EXPECT_NEAR(wavePhase, 0.2f, 1e-4);
    EXPECT_EQ(AdvanceWavePhase(-1.5), 255); // -1.3 truncates to -1
}

TEST_F(Scene, AWeekOfSixtyHertzFramesKeepsTheRippleAtTenStepsASecond)
{
    const double stepsPerFrame = static_cast<double>(1.0f / 60.0f) * 10.0;
    constexpr int64_t framesInAWeek = 7LL * 24 * 60 * 60 * 60;
    constexpr int framesInTenSeconds = 600;
    for (int64_t frame = 0; frame < framesInAWeek - framesInTenSeconds; ++frame)
        AdvanceWavePhase(stepsPerFrame);
    EXPECT_LT(wavePhase, 256.0f);

    int moved = 0;
    uint8_t phase = AdvanceWavePhase(0.0);
    for (int frame = 0; frame < framesInTenSeconds; ++frame) {
        const uint8_t next = AdvanceWavePhase(stepsPerFrame);
        moved += static_cast<uint8_t>(next - phase);
        phase = next;
    }
    EXPECT_GE(moved, 99);
    EXPECT_LE(moved, 101);
}

TEST_F(Scene, NonsenseElapsedTimesStayDefined)
{
    SetUpScene();
    auto canvas = std::make_unique<TestCanvas>();
    AnimateFrame(std::numeric_limits<float>::infinity(), canvas->descriptor);
    AnimateFrame(-3.0e38f, canvas->descriptor);
    AnimateFrame(std::numeric_limits<float>::quiet_NaN(), canvas->descriptor);
    EXPECT_EQ(waveField.xPhase, 0);
}

} // namespace
