#include <gtest/gtest.h>

#include "windows/frame_pacing.hpp"
#include "windows/frame_request.hpp"

namespace {

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

    // Exactly one step late is late: no request 15 ms after it.
    pacer.Start(60, 5000);
    pacer.NoteRequest(5000);
    pacer.NoteRequest(5032);
    EXPECT_FALSE(pacer.MayRequest(5047));
    // A fresh start drops the carried fraction: the next step is 16 ms, not 17.
    pacer.Start(60, 5000);
    pacer.NoteRequest(5000);
    pacer.NoteRequest(5016);
    pacer.NoteRequest(5100);
    EXPECT_TRUE(pacer.MayRequest(5116));
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
