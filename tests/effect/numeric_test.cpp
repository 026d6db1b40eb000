#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/effect/numeric.hpp"

namespace {

TEST(TruncateToInt32, TruncatesTowardZeroInsideTheRange)
{
    EXPECT_EQ(TruncateToInt32(2.9), 2);
    EXPECT_EQ(TruncateToInt32(-2.9), -2);
    EXPECT_EQ(TruncateToInt32(-0.5), 0);
    EXPECT_EQ(TruncateToInt32(2147483647.9), INT32_MAX);
    EXPECT_EQ(TruncateToInt32(-2147483648.9), INT32_MIN);
}

TEST(TruncateToInt32, SaturatesOutOfRangeAndMapsNanToZero)
{
    EXPECT_EQ(TruncateToInt32(2147483648.0), INT32_MAX);
    EXPECT_EQ(TruncateToInt32(-2147483649.0), INT32_MIN);
    EXPECT_EQ(TruncateToInt32(1e300), INT32_MAX);
    EXPECT_EQ(TruncateToInt32(-std::numeric_limits<double>::infinity()), INT32_MIN);
    EXPECT_EQ(TruncateToInt32(std::nan("")), 0);
}

TEST(LowByteOfTruncation, KeepsTheLowByteOfTheIntegerPartForAnyMagnitude)
{
    EXPECT_EQ(LowByteOfTruncation(255.9), 255);
    EXPECT_EQ(LowByteOfTruncation(256.2), 0);
    EXPECT_EQ(LowByteOfTruncation(-1.5), 255);
    EXPECT_EQ(LowByteOfTruncation(-0.5), 0);
    EXPECT_EQ(LowByteOfTruncation(4294967296.0 + 300.7), 44);
    EXPECT_EQ(LowByteOfTruncation(-4294967296.0 - 1.5), 255);
    EXPECT_EQ(LowByteOfTruncation(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(LowByteOfTruncation(std::nan("")), 0);
}

TEST(RoundToSingle, RoundsToNearestEven)
{
    EXPECT_EQ(RoundToSingle(0.1), 0.1f);
    EXPECT_EQ(RoundToSingle(16777217.0), 16777216.0f);
    EXPECT_EQ(RoundToSingle(16777219.0), 16777220.0f);
}

} // namespace
