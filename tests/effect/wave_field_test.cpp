#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <tuple>
#include <vector>

#include "engine/frame/buffer_frame_cycle.hpp"
#include "engine/effect/wave_field.hpp"
#include "tests/point_by_point.hpp"
#include "tests/test_canvas.hpp"

namespace {

WaveField SceneTables()
{
    WaveField field;
    field.FillSineTable(xShiftTable, 0.0f, 360.0f, 0, 256, 128);
    field.FillSineTable(yShiftTable, 0.0f, 360.0f, 0, 256, 128);
    return field;
}

// A field whose last grid point is (x, y), its column in a colour of its own.
WaveField WithOnePoint(int32_t x, int32_t y)
{
    WaveField field = SceneTables();
    field.gridWidth = x + 1;
    field.gridHeight = y + 1;
    field.colourMode = waveByColumn;
    field.colours[static_cast<uint8_t>(x)] = Rgb { 1, 2, 3 };
    return field;
}

TEST(FillSineTable, OnePeriodOverTheTable)
{
    const WaveField field = SceneTables();
    EXPECT_EQ(field.xShift[0], 0);
    EXPECT_EQ(field.xShift[1], 3);
    EXPECT_EQ(field.xShift[32], 90);
    for (int i = 59; i <= 63; ++i)
        EXPECT_EQ(field.xShift[i], 127) << i;
    EXPECT_EQ(field.xShift[64], 128);
    for (int i = 65; i <= 69; ++i)
        EXPECT_EQ(field.xShift[i], 127) << i;
    EXPECT_EQ(field.xShift[128], 0);
    EXPECT_EQ(field.xShift[160], -90);
    EXPECT_EQ(field.xShift[192], -128);
    EXPECT_EQ(field.xShift[255], -3);
    for (int i = 0; i < shiftTableSize; ++i)
        EXPECT_EQ(field.xShift[i], field.yShift[i]) << i;
}

TEST(FillSineTable, WritesOnlyTheChosenRangeOfTheChosenTable)
{
    WaveField field;
    field.FillSineTable(yShiftTable, 90.0f, 450.0f, 256 + 10, 2, 100);
    EXPECT_EQ(field.yShift[9], 0);
    EXPECT_EQ(field.yShift[10], 100);
    EXPECT_EQ(field.yShift[11], -100);
    EXPECT_EQ(field.yShift[12], 0);
    for (int i = 0; i < shiftTableSize; ++i)
        EXPECT_EQ(field.xShift[i], 0);
}

TEST(FillSineTable, NeverWritesPastItsTable)
{
    auto field = std::make_unique<WaveField>();
    const int32_t after = field->yPhase;
    field->FillSineTable(xShiftTable, 90.0f, 90.0f, 250, 300, 7);
    EXPECT_EQ(field->xShift[249], 0);
    EXPECT_EQ(field->xShift[250], 7);
    EXPECT_EQ(field->xShift[255], 7);
    EXPECT_EQ(field->yPhase, after);
    EXPECT_EQ(field->yShift[0], 0);
    field->FillSineTable(2, 0.0f, 90.0f, 0, 256, 7);
    EXPECT_EQ(field->xShift[0], 0);
}

TEST(FillSineTable, ExtremeAmplitudesAndAnglesStayDefined)
{
    WaveField field;
    field.FillSineTable(xShiftTable, -90.0f, -90.0f, 0, 1, INT32_MIN);
    EXPECT_EQ(field.xShift[0], INT32_MAX);
    field.FillSineTable(xShiftTable, std::numeric_limits<float>::infinity(), 0.0f, 0, 1, 100);
    EXPECT_EQ(field.xShift[0], 0);
}

struct PointCase {
    int32_t x, y;
    uint32_t screenX, screenY;
};

class GridPointPlacement : public testing::TestWithParam<PointCase> { };

TEST_P(GridPointPlacement, RowsSwayByTheirOwnSineEntryAndColumnsBobByTheirs)
{
    // The point asked about is the last one drawn, so it shows at its place.
    const PointCase point = GetParam();
    auto canvas = std::make_unique<TestCanvas>();
    WithOnePoint(point.x, point.y).Draw(canvas->descriptor);
    EXPECT_EQ(canvas->At(point.screenX, point.screenY), RgbValue(1, 2, 3));
}

INSTANTIATE_TEST_SUITE_P(ScenePhasesZero, GridPointPlacement,
    testing::Values(PointCase { 0, 0, 128, 128 }, PointCase { 0, 64, 256, 192 },
        PointCase { 64, 0, 192, 256 }, PointCase { 383, 192, 383, 323 }));

TEST(WaveFieldDraw, PhasesShiftWhichTableEntryRowsAndColumnsTake)
{
    auto canvas = std::make_unique<TestCanvas>();
    WaveField field = WithOnePoint(0, 0);
    field.colours[0] = Rgb { 1, 2, 3 };
    field.xPhase = 64; // row 0 takes xShift[64] = 128
    field.yPhase = 192; // column 0 takes yShift[192] = -128
    field.Draw(canvas->descriptor);
    EXPECT_EQ(canvas->At(128 + 128, 128 - 128), RgbValue(1, 2, 3));
    EXPECT_EQ(canvas->CountDrawn(), 1);
}

TEST(WaveFieldDraw, SceneGridCoversTheImageAndColoursByRow)
{
    auto canvas = std::make_unique<TestCanvas>();
    WaveField field = SceneTables();
    field.colourMode = waveByRow;
    for (int i = 0; i < colourTableSize; ++i)
        field.colours[static_cast<uint8_t>(i)] = Rgb { static_cast<uint8_t>(i), 0, 0 };
    field.Draw(canvas->descriptor);
    // Row 0 with phase 0 is unshifted sideways; column 0 is unshifted vertically.
    EXPECT_EQ(canvas->At(128, 128), RgbValue(0, 0, 0));
    EXPECT_EQ(canvas->At(256, 192), RgbValue(64, 0, 0));
    EXPECT_EQ(canvas->At(383, 323), RgbValue(192, 0, 0));
    int drawn = canvas->CountDrawn();
    EXPECT_GT(drawn, 60000);
    EXPECT_LE(drawn, 384 * 224);
}

// Pixel format, colour mode, and the grid's centre.
using FieldCase = std::tuple<int, uint8_t, int32_t, int32_t>;

class DrawnLikePointByPoint : public testing::TestWithParam<FieldCase> { };

TEST_P(DrawnLikePointByPoint, InEveryFormatAndColourMode)
{
    const auto [formatName, mode, centreX, centreY] = GetParam();
    const PixelFormat& format = *FindRenderFormat(formatName);
    WaveField field = SceneTables();
    // Wider and taller than the image, so that rows and columns leave it on every side.
    field.gridWidth = 700;
    field.gridHeight = 600;
    field.centreX = centreX;
    field.centreY = centreY;
    field.xPhase = 37;
    field.yPhase = 201;
    field.colourMode = mode;
    field.colourBase = 9;
    for (int i = 0; i < colourTableSize; ++i)
        field.colours[static_cast<uint8_t>(i)] = Rgb { static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
            static_cast<uint8_t>(i * 7) };

    // A pitch with a gap after each row, which must stay untouched.
    DisplayDescriptor drawn;
    ASSERT_TRUE(drawn.ConfigureFormat(format.bitCount, format.redMask, format.greenMask, format.blueMask));
    const int32_t pitch = static_cast<int32_t>(imageWidth * drawn.bytesPerPixel + 6);
    std::vector<uint8_t> drawnBytes(pitch * imageHeight, 0xAA);
    std::vector<uint8_t> expectedBytes = drawnBytes;
    DisplayDescriptor expected = drawn;
    drawn.BindPixels(drawnBytes.data(), pitch);
    expected.BindPixels(expectedBytes.data(), pitch);

    field.Draw(drawn);
    DrawPointByPoint(field, expected);
    EXPECT_TRUE(drawnBytes == expectedBytes);
}

INSTANTIATE_TEST_SUITE_P(Clipped, DrawnLikePointByPoint,
    testing::Combine(testing::Values(8, 15, 24, 32), testing::Values(waveByBase, waveByColumn, waveByRow, waveByDistance),
        testing::Values(350), testing::Values(300)));

// Rows that all start inside the image, the later ones leaving it at the bottom.
INSTANTIATE_TEST_SUITE_P(DownToTheBottomEdge, DrawnLikePointByPoint,
    testing::Combine(testing::Values(8, 15, 24, 32), testing::Values(waveByBase, waveByColumn), testing::Values(350), testing::Values(0)));

// Rows placed at the ends of the 32-bit range: no column of theirs is on the
// screen, and working that out must not overflow.
INSTANTIATE_TEST_SUITE_P(FarAway, DrawnLikePointByPoint,
    testing::Combine(testing::Values(16), testing::Values(2),
        testing::Values(INT32_MIN + 320, INT32_MIN + 321, 320 - INT32_MAX), testing::Values(300)));

TEST(WaveFieldColourIndex, ModesPickBaseColumnRowOrDistance)
{
    WaveField field;
    field.colourBase = 10;
    field.colourMode = waveByBase;
    EXPECT_EQ(field.ColourIndexAt(300, 7), 10);
    field.colourMode = waveByColumn;
    EXPECT_EQ(field.ColourIndexAt(300, 7), (10 + 300) % 256);
    field.colourBase = 0;
    EXPECT_EQ(field.ColourIndexAt(300, 7), 44);
    field.colourMode = waveByRow;
    EXPECT_EQ(field.ColourIndexAt(300, 7), 7);
    field.colourMode = 3;
    field.colourBase = 99; // not added in this mode
    EXPECT_EQ(field.ColourIndexAt(192 + 3, 112 + 4), 5);
    EXPECT_EQ(field.ColourIndexAt(192 + 1, 112 + 1), 1);
    EXPECT_EQ(field.ColourIndexAt(0, 0), 222); // sqrt(192^2 + 112^2) = 222.28
}

TEST(WaveFieldDraw, PointsOutsideTheImageAreDropped)
{
    auto canvas = std::make_unique<TestCanvas>();
    WaveField field;
    field.gridWidth = 2000;
    field.gridHeight = 3;
    field.centreX = 1000;
    field.centreY = 240 + 2; // rows land on y = -2, -1, 0
    field.colours[0] = Rgb { 1, 2, 3 };
    field.Draw(canvas->descriptor);
    EXPECT_EQ(canvas->CountDrawn(), 640);
    EXPECT_EQ(canvas->At(0, 0), RgbValue(1, 2, 3));
    EXPECT_EQ(canvas->At(639, 0), RgbValue(1, 2, 3));
}

} // namespace
