#include <gtest/gtest.h>

#include <cmath>

#include "display/frame_clock.hpp"
#include "display/frame_pacing.hpp"

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

// Requests made whenever one is due, on a 1 ms timer, for one second.
uint32_t RequestsInOneSecond(uint32_t refreshRate, uint32_t start)
{
    FramePacer pacer;
    pacer.Start(refreshRate, start);
    uint32_t requests = 0;
    for (uint32_t now = start; now != start + 1000; ++now)
        if (pacer.MayRequest(now)) {
            pacer.NoteRequest(now);
            ++requests;
        }
    return requests;
}

TEST(FramePacer, RequestsOneFrameASecondMoreThanTheDisplayRefreshes)
{
    EXPECT_EQ(RequestsInOneSecond(60, 5000), 61u);
    EXPECT_EQ(RequestsInOneSecond(75, 5000), 76u);
    EXPECT_EQ(RequestsInOneSecond(144, 5000), 145u);
    EXPECT_EQ(RequestsInOneSecond(0, 5000), 61u); // the display does not say
    EXPECT_EQ(RequestsInOneSecond(1, 5000), 61u);
    EXPECT_EQ(RequestsInOneSecond(60, 0xFFFFFE00u), 61u); // across the clock's wrap
}

TEST(FramePacer, StepsAreWholeMillisecondsAndALateRequestStartsAfresh)
{
    FramePacer pacer;
    pacer.Start(60, 5000);
    EXPECT_TRUE(pacer.MayRequest(5000)); // the first frame at once
    pacer.NoteRequest(5000);
    EXPECT_FALSE(pacer.MayRequest(5015));
    EXPECT_TRUE(pacer.MayRequest(5016)); // 1000 / 61 ms later
    pacer.NoteRequest(5100);
    EXPECT_FALSE(pacer.MayRequest(5115)); // no burst to make up for the late one
    EXPECT_TRUE(pacer.MayRequest(5116));
}

} // namespace
