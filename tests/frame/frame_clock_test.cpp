#include <gtest/gtest.h>

#include <cmath>

#include "engine/frame/frame_clock.hpp"

namespace {

TEST(FrameClock, StartZeroesBothTimes)
{
    FrameClock clock { 5, 3.0f, 1.0f };
    clock.Start(1000);
    EXPECT_EQ(clock.startTick, 1000u);
    EXPECT_EQ(clock.totalSeconds, 0.0f);
    EXPECT_EQ(clock.deltaSeconds, 0.0f);
}

TEST(FrameClock, FirstFrameAdvancesByAllTheTimeSinceStart)
{
    FrameClock clock;
    clock.Start(1000);
    clock.Advance(1250);
    EXPECT_EQ(clock.totalSeconds, static_cast<float>(250 * static_cast<double>(0.001f)));
    EXPECT_EQ(clock.deltaSeconds, clock.totalSeconds);
    const float previousTotal = clock.totalSeconds;
    clock.Advance(1266);
    // The difference is taken from the double time before it is stored.
    EXPECT_EQ(clock.deltaSeconds, static_cast<float>(266 * static_cast<double>(0.001f) - previousTotal));
}

TEST(FrameClock, SameTickTwiceGivesTheRoundingErrorOfTheStoredTotal)
{
    FrameClock clock;
    clock.Start(0);
    clock.Advance(10);
    clock.Advance(10);
    EXPECT_EQ(clock.deltaSeconds, -2.3283064e-10f);
    EXPECT_EQ(clock.totalSeconds, static_cast<float>(10 * static_cast<double>(0.001f)));

    clock.Start(0);
    clock.Advance(61000);
    clock.Advance(61000);
    EXPECT_NE(clock.deltaSeconds, 0.0f);
    EXPECT_LT(std::abs(clock.deltaSeconds), 4e-6f);
}

TEST(FrameClock, TickCounterWrapKeepsTimeGrowing)
{
    FrameClock clock;
    clock.Start(0xFFFFFF00u);
    clock.Advance(0xFFFFFFF0u); // 240 ms
    clock.Advance(0x00000010u); // 272 ms, past the wrap
    EXPECT_EQ(clock.totalSeconds, static_cast<float>(272 * static_cast<double>(0.001f)));
    EXPECT_GT(clock.deltaSeconds, 0.0f);
    EXPECT_NEAR(clock.deltaSeconds, 0.032f, 1e-6);
}

} // namespace
