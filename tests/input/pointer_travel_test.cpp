#include <gtest/gtest.h>

#include "engine/input/pointer_travel.hpp"

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

} // namespace
