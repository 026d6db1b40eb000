#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <memory>

#include "engine/effect/rotating_picture.hpp"
#include "tests/point_by_point.hpp"
#include "tests/test_canvas.hpp"

namespace {

using PictureBytes = std::array<uint8_t, flowerPictureByteCount>;

void SetPixel(PictureBytes& bytes, int column, int row)
{
    bytes[row * flowerPictureBytesPerRow + column / 8] |= static_cast<uint8_t>(0x80 >> (column % 8));
}

// A picture of the given set pixels, pivot where the scene puts it, every
// colour index its own shade of blue.
RotatingPicture PictureOf(const PictureBytes& bytes)
{
    RotatingPicture picture;
    picture.bits = bytes.data();
    picture.pivotX = 132;
    picture.pivotY = 114;
    for (int i = 0; i < colourTableSize; ++i)
        picture.colours[static_cast<uint8_t>(i)] = Rgb { 0, 0, static_cast<uint8_t>(i) };
    return picture;
}

TEST(RotatingPictureDraw, UnturnedPixelsLandAtTheImageMiddlePlusTheirOffset)
{
    PictureBytes bytes {};
    SetPixel(bytes, 132, 114);
    SetPixel(bytes, 142, 114);
    auto canvas = std::make_unique<TestCanvas>();
    PictureOf(bytes).Draw(canvas->descriptor, 0, 0);
    EXPECT_EQ(canvas->At(320, 240), RgbValue(0, 0, 0));
    EXPECT_EQ(canvas->At(330, 240), RgbValue(0, 0, 0));
    EXPECT_EQ(canvas->CountDrawn(), 2);
}

TEST(RotatingPictureDraw, QuarterTurnIsClockwiseOnScreen)
{
    PictureBytes bytes {};
    SetPixel(bytes, 142, 114);
    SetPixel(bytes, 132, 104);
    auto canvas = std::make_unique<TestCanvas>();
    RotatingPicture picture = PictureOf(bytes);
    picture.angle = 90.0f;
    picture.Draw(canvas->descriptor, 0, 0);
    EXPECT_EQ(canvas->At(320, 250), RgbValue(0, 0, 0)); // right of the pivot turns to below it
    EXPECT_EQ(canvas->At(330, 240), RgbValue(0, 0, 0)); // above it turns to its right
    EXPECT_EQ(canvas->CountDrawn(), 2);
}

TEST(RotatingPictureDraw, OrbitOffsetsMoveThePivot)
{
    PictureBytes bytes {};
    SetPixel(bytes, 132, 114);
    auto canvas = std::make_unique<TestCanvas>();
    PictureOf(bytes).Draw(canvas->descriptor, -200, 100);
    EXPECT_EQ(canvas->At(120, 340), RgbValue(0, 0, 0));
    EXPECT_EQ(canvas->CountDrawn(), 1);
}

TEST(RotatingPictureDraw, ColoursByDistanceFromThePivotPlusTheOffset)
{
    PictureBytes bytes {};
    SetPixel(bytes, 135, 118); // offset (3, 4)
    SetPixel(bytes, 122, 114); // offset (-10, 0)
    auto canvas = std::make_unique<TestCanvas>();
    RotatingPicture picture = PictureOf(bytes);
    picture.colourMode = pictureByDistance;
    picture.Draw(canvas->descriptor, 0, 0);
    EXPECT_EQ(canvas->At(323, 244), RgbValue(0, 0, 5));
    EXPECT_EQ(canvas->At(310, 240), RgbValue(0, 0, 10));
    picture.colourOffset = 250;
    canvas->Clear();
    picture.Draw(canvas->descriptor, 0, 0);
    EXPECT_EQ(canvas->At(310, 240), RgbValue(0, 0, 4));
}

TEST(RotatingPictureColourIndex, ModesPickColumnRowDistanceOrOffset)
{
    RotatingPicture picture;
    picture.colourOffset = 1;
    picture.colourMode = pictureByPx;
    EXPECT_EQ(picture.ColourIndexAt(-7, 3), 8);
    picture.colourMode = pictureByPy;
    EXPECT_EQ(picture.ColourIndexAt(-7, -3), 4);
    picture.colourMode = pictureByDistance;
    EXPECT_EQ(picture.ColourIndexAt(0, 0), 1);
    EXPECT_EQ(picture.ColourIndexAt(-3, -4), 6);
    picture.colourMode = pictureByOffset;
    EXPECT_EQ(picture.ColourIndexAt(-7, 3), 1);
    picture.colourMode = 9;
    EXPECT_EQ(picture.ColourIndexAt(-7, 3), 1);
}

// Each colour mode has a drawing loop of its own: the flower, turned and moved
// off-centre, must land as the rule point by point puts it.
TEST(RotatingPictureDraw, EveryColourModeDrawsLikePointByPoint)
{
    for (uint8_t mode : std::initializer_list<uint8_t> { pictureByOffset, pictureByPx, pictureByPy, pictureByDistance, 9 }) {
        RotatingPicture picture = PictureOf({});
        picture.bits = flowerPicture;
        picture.pivotX = flowerHeartX;
        picture.pivotY = flowerHeartY;
        picture.angle = 33.3f;
        picture.colourOffset = 17;
        picture.colourMode = mode;
        auto drawn = std::make_unique<TestCanvas>();
        auto expected = std::make_unique<TestCanvas>();
        picture.Draw(drawn->descriptor, -150, 90);
        DrawPointByPoint(picture, expected->descriptor, OrbitOffset { -150, 90 });
        EXPECT_EQ(std::memcmp(drawn->pixels, expected->pixels, sizeof drawn->pixels), 0) << "colour mode " << int { mode };
        EXPECT_GT(drawn->CountDrawn(), 20000) << "colour mode " << int { mode };
    }
}

TEST(RotatingPictureDraw, WhereTwoPixelsMeetTheEarlierInReadingOrderWins)
{
    // At 45 degrees the pixel right of the pivot truncates onto the pivot's spot.
    PictureBytes bytes {};
    SetPixel(bytes, 133, 114); // (1, 0) -> (0.707, 0.707) -> (0, 0)
    SetPixel(bytes, 132, 114); // (0, 0) -> (0, 0)
    auto canvas = std::make_unique<TestCanvas>();
    RotatingPicture picture = PictureOf(bytes);
    picture.angle = 45.0f;
    picture.colourMode = pictureByPx;
    picture.Draw(canvas->descriptor, 0, 0);
    EXPECT_EQ(canvas->At(320, 240), RgbValue(0, 0, 0)); // the pivot, earlier in its row
    EXPECT_EQ(canvas->CountDrawn(), 1);
}

TEST(RotatingPictureDraw, PixelsOffTheImageAreDropped)
{
    PictureBytes bytes {};
    SetPixel(bytes, 0, 0);
    SetPixel(bytes, 243, 217);
    auto canvas = std::make_unique<TestCanvas>();
    PictureOf(bytes).Draw(canvas->descriptor, -400, 300);
    EXPECT_EQ(canvas->CountDrawn(), 0);
}

TEST(RotatingPictureAdvance, AngleWrapsOnceEachWay)
{
    RotatingPicture picture;
    picture.angle = 350.5f;
    picture.spinRate = 20.0f;
    picture.Advance(1.0f);
    EXPECT_EQ(picture.angle, 10.5f);

    picture.angle = 10.0f;
    picture.spinRate = -30.0f;
    picture.Advance(1.0f);
    EXPECT_EQ(picture.angle, 340.0f);

    // A long step is corrected by one turn only.
    picture.angle = 0.0f;
    picture.spinRate = 15.0f;
    picture.Advance(60.0f);
    EXPECT_EQ(picture.angle, 540.0f);
    picture.Advance(0.0f);
    EXPECT_EQ(picture.angle, 180.0f);

    // Exactly 360 is not above it.
    picture.angle = 345.0f;
    picture.Advance(1.0f);
    EXPECT_EQ(picture.angle, 360.0f);
}

TEST(RotatingPictureAdvance, AngleIsStoredInSinglePrecision)
{
    RotatingPicture picture;
    picture.spinRate = 15.0f;
    picture.Advance(0.1f);
    EXPECT_EQ(picture.angle, static_cast<float>(15.0 * static_cast<double>(0.1f)));
    EXPECT_EQ(picture.colourOffset, 0);
}

TEST(RotatingPictureAdvance, ColourOffsetFollowsTheIntegerPartOfThePhase)
{
    RotatingPicture picture;
    picture.colourRate = 100.0f;
    picture.Advance(2.565f);
    EXPECT_EQ(picture.colourOffset, 256 % 256);
    picture.Advance(0.01f);
    EXPECT_EQ(picture.colourOffset, 1);
    picture.colourRate = -100.0f;
    picture.Advance(2.6f); // 257.5 - 260.00001: trunc gives -2
    EXPECT_EQ(picture.colourOffset, 254);
}

TEST(RotatingPictureDraw, AnAngleThatIsNotANumberDrawsNothing)
{
    PictureBytes bytes {};
    SetPixel(bytes, 132, 114);
    auto canvas = std::make_unique<TestCanvas>();
    RotatingPicture picture = PictureOf(bytes);
    picture.angle = std::numeric_limits<float>::quiet_NaN();
    picture.Draw(canvas->descriptor, 0, 0);
    EXPECT_EQ(canvas->CountDrawn(), 0);
}

} // namespace
