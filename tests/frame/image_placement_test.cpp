#include <gtest/gtest.h>

#include "engine/frame/image_placement.hpp"

namespace {

void ExpectRect(ImageRectangle actual, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    EXPECT_EQ(actual.left, left);
    EXPECT_EQ(actual.top, top);
    EXPECT_EQ(actual.right, right);
    EXPECT_EQ(actual.bottom, bottom);
}

TEST(CentredImage, CentresWithTheOddPixelRightAndBelow)
{
    ExpectRect(CentredImage(640, 480), 0, 0, 640, 480);
    ExpectRect(CentredImage(800, 600), 80, 60, 720, 540);
    ExpectRect(CentredImage(1024, 768), 192, 144, 832, 624);
    ExpectRect(CentredImage(1025, 769), 192, 144, 832, 624);
}

TEST(CentredImage, SmallerClientAreaClampsTheOffsetsAtZero)
{
    ExpectRect(CentredImage(320, 240), 0, 0, 640, 480);
    ExpectRect(CentredImage(639, 1000), 0, 260, 640, 740);
    ExpectRect(CentredImage(0, 0), 0, 0, 640, 480);
}

TEST(CentredImage, SourceIsTheWholeImage)
{
    ExpectRect(WholeImage(), 0, 0, 640, 480);
}

void ExpectFit(uint32_t windowWidth, uint32_t windowHeight, uint32_t maxScale, ImageFit want)
{
    const ImageFit fit = FitImage(windowWidth, windowHeight, maxScale);
    EXPECT_EQ(fit.x, want.x) << windowWidth << "x" << windowHeight;
    EXPECT_EQ(fit.y, want.y) << windowWidth << "x" << windowHeight;
    EXPECT_EQ(fit.width, want.width) << windowWidth << "x" << windowHeight;
    EXPECT_EQ(fit.height, want.height) << windowWidth << "x" << windowHeight;
}

TEST(ImageFit, BigWindowsShowItBlownUpByTheLargestWholeFactorCentred)
{
    ExpectFit(1920, 1080, 0, { 320, 60, 1280, 960 });
    ExpectFit(2560, 1440, 0, { 320, 0, 1920, 1440 });
    ExpectFit(3840, 2160, 0, { 640, 120, 2560, 1920 });
    ExpectFit(1024, 768, 0, { 192, 144, 640, 480 });
    ExpectFit(1366, 768, 0, { 363, 144, 640, 480 });
    ExpectFit(1279, 959, 0, { 319, 239, 640, 480 });
    ExpectFit(640, 480, 0, { 0, 0, 640, 480 });
    EXPECT_EQ(FitImage(3840, 2160).WholeFactor(), 4u);
    EXPECT_EQ(FitImage(320, 240).WholeFactor(), 0u);
}

TEST(ImageFit, ScaleCapsTheFactor)
{
    ExpectFit(1920, 1080, 1, { 640, 300, 640, 480 });
    ExpectFit(3840, 2160, 3, { 960, 360, 1920, 1440 });
    ExpectFit(1920, 1080, 5, { 320, 60, 1280, 960 });
    ExpectFit(320, 240, 1, { 0, 0, 320, 240 });
}

// The relatively shorter side is filled, the other rounded down, the odd
// margin pixel to the right or the bottom.
TEST(ImageFit, SmallWindowsShowTheWholeImageScaledDown)
{
    ExpectFit(320, 240, 0, { 0, 0, 320, 240 });
    ExpectFit(400, 600, 0, { 0, 150, 400, 300 });
    ExpectFit(1000, 300, 0, { 300, 0, 400, 300 });
    ExpectFit(150, 112, 0, { 0, 0, 149, 112 });
    ExpectFit(200, 150, 0, { 0, 0, 200, 150 });
    ExpectFit(300, 150, 0, { 50, 0, 200, 150 });
    ExpectFit(150, 200, 0, { 0, 44, 150, 112 });
    ExpectFit(639, 480, 0, { 0, 0, 639, 479 });
    ExpectFit(0, 0, 0, { 0, 0, 0, 0 });
}

} // namespace
