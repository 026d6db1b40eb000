#include <gtest/gtest.h>

#include "display/frame_request.hpp"
#include "display/image_placement.hpp"

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

TEST(FallbackText, EightyLeftOfTheMiddleAtHalfHeight)
{
    const TextPosition position = FallbackTextPosition(1024, 768);
    EXPECT_EQ(position.x, 432);
    EXPECT_EQ(position.y, 384);
    EXPECT_EQ(FallbackTextPosition(801, 601).x, 320);
    EXPECT_EQ(FallbackTextPosition(801, 601).y, 300);
}

TEST(FrameRequest, OnlyOneRequestUntilTheFrameEnds)
{
    ReleaseFrameRequest();
    EXPECT_TRUE(ClaimFrameRequest());
    EXPECT_FALSE(ClaimFrameRequest());
    EXPECT_FALSE(ClaimFrameRequest());
    EXPECT_EQ(frameRequestPending.load(), 1u);
    ReleaseFrameRequest();
    EXPECT_TRUE(ClaimFrameRequest());
    ReleaseFrameRequest();
}

} // namespace
