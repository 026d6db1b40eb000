#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/effect/flower_picture.hpp"
#include "tools/flower/flower_drawing.hpp"

namespace {

bool IsSet(int column, int row)
{
    return (flowerPicture[row * flowerPictureBytesPerRow + column / 8] & (0x80 >> (column % 8))) != 0;
}

TEST(FlowerPicture, CommittedDataIsWhatTheGeneratorDraws)
{
    static uint8_t generated[flowerPictureByteCount];
    DrawFlowerPicture(generated);
    EXPECT_EQ(std::memcmp(generated, flowerPicture, sizeof generated), 0)
        << "engine/effect/flower_picture.cpp is stale: rebuild it with 'cmake --build build/native --target flower-picture'";
}

TEST(FlowerPicture, RowsEndInFourClearBitsAndTheDataInAZeroByte)
{
    EXPECT_EQ(flowerPictureByteCount, 6759);
    EXPECT_EQ(flowerPicture[flowerPictureByteCount - 1], 0);
    for (int row = 0; row < flowerPictureHeight; ++row)
        EXPECT_EQ(flowerPicture[row * flowerPictureBytesPerRow + 30] & 0x0F, 0) << "row " << row;
}

TEST(FlowerPicture, SetPixelsSpanTheFrameButTheFirstRowAndColumn)
{
    int count = 0;
    int left = flowerPictureWidth, right = -1, top = flowerPictureHeight, bottom = -1;
    for (int row = 0; row < flowerPictureHeight; ++row)
        for (int column = 0; column < flowerPictureWidth; ++column) {
            if (!IsSet(column, row))
                continue;
            ++count;
            left = std::min(left, column), right = std::max(right, column);
            top = std::min(top, row), bottom = std::max(bottom, row);
        }
    EXPECT_EQ(left, 1);
    EXPECT_EQ(right, 243);
    EXPECT_EQ(top, 1);
    EXPECT_EQ(bottom, 217);
    EXPECT_GT(count, 21000);
    EXPECT_LT(count, 23000);
}

TEST(FlowerPicture, TheHeartIsDenserThanThePetals)
{
    auto density = [](int centreX, int centreY, int radius) {
        int set = 0, all = 0;
        for (int row = centreY - radius; row <= centreY + radius; ++row)
            for (int column = centreX - radius; column <= centreX + radius; ++column)
                ++all, set += IsSet(column, row);
        return static_cast<double>(set) / all;
    };
    const double heart = density(132, 114, 10);
    EXPECT_GT(heart, 0.7);
    EXPECT_GT(heart, density(132 + 60, 114, 10) + 0.15);
    EXPECT_EQ(density(8, 8, 5), 0.0); // a corner between petals stays clear
}

} // namespace
