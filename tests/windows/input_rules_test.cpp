#include <gtest/gtest.h>

#include "windows/fallback_text.hpp"
#include "windows/input_rules.hpp"

namespace {

TEST(MouseTravel, MoreThanFourInDxPlusDyCloses)
{
    const ScreenPoint reference { 100, 100 };
    EXPECT_FALSE(MouseTravelCloses(reference, { 102, 102 }));
    EXPECT_FALSE(MouseTravelCloses(reference, { 96, 100 }));
    EXPECT_FALSE(MouseTravelCloses(reference, { 100, 100 }));
    EXPECT_TRUE(MouseTravelCloses(reference, { 103, 102 }));
    EXPECT_TRUE(MouseTravelCloses(reference, { 98, 97 }));
    EXPECT_TRUE(MouseTravelCloses(reference, { 100, 105 }));
}

TEST(MouseTravel, SlowMovementAddsUpFromTheReference)
{
    const ScreenPoint reference { 10, 10 };
    int steps = 0;
    ScreenPoint cursor = reference;
    while (!MouseTravelCloses(reference, cursor)) {
        ++cursor.x;
        ++steps;
    }
    EXPECT_EQ(steps, 5);
}

TEST(MouseTravel, ExtremeCoordinatesStayDefined)
{
    EXPECT_FALSE(MouseTravelCloses({ INT32_MIN, INT32_MIN }, { INT32_MIN + 2, INT32_MIN + 2 }));
    EXPECT_TRUE(MouseTravelCloses({ -3, 0 }, { 2, 0 }));
}

TEST(PasswordCheckGuard, RefusesWithin200MillisecondsOfTheLastDialog)
{
    EXPECT_FALSE(TooSoonAfterPasswordCheck(5, noCheckYet));
    EXPECT_TRUE(TooSoonAfterPasswordCheck(1199, 1000));
    EXPECT_FALSE(TooSoonAfterPasswordCheck(1200, 1000));
    EXPECT_TRUE(TooSoonAfterPasswordCheck(1000, 1000));
}

TEST(PasswordCheckGuard, HoldsAcrossTheWrapOfTheTickCounter)
{
    const uint32_t beforeWrap = 0xFFFFFFFFu - 255; // 256 ms before the wrap
    EXPECT_FALSE(TooSoonAfterPasswordCheck(16, beforeWrap)); // 272 ms later
    EXPECT_TRUE(TooSoonAfterPasswordCheck(16, 0xFFFFFFF0u)); // 32 ms later
}

TEST(FallbackText, EightyLeftOfTheMiddleAtHalfHeight)
{
    const TextPosition position = FallbackTextPosition(1024, 768);
    EXPECT_EQ(position.x, 432);
    EXPECT_EQ(position.y, 384);
    EXPECT_EQ(FallbackTextPosition(801, 601).x, 320);
    EXPECT_EQ(FallbackTextPosition(801, 601).y, 300);
}

} // namespace
