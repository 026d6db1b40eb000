#include <gtest/gtest.h>

#include "engine/effect/colour_table.hpp"

namespace {

void ExpectEntry(const ColourTable& table, int index, int red, int green, int blue)
{
    const Rgb& entry = table[static_cast<uint8_t>(index)];
    EXPECT_EQ(entry.red, red) << "entry " << index;
    EXPECT_EQ(entry.green, green) << "entry " << index;
    EXPECT_EQ(entry.blue, blue) << "entry " << index;
}

ColourTable Filled(uint8_t value)
{
    return UniformColourTable(value, value, value);
}

TEST(FillRamp, SinglePrecisionStepLeavesTheLastEntryOneBelowItsTarget)
{
    ColourTable table = Filled(7);
    FillRamp(table, 0, 64, 84, 128, 64, 32, 40, 128);
    ExpectEntry(table, 0, 84, 128, 64);
    ExpectEntry(table, 63, 31, 39, 128);
}

TEST(FillRamp, RampDescendingToZeroTruncatesToZeroNotWrapping)
{
    ColourTable table = Filled(7);
    FillRamp(table, 0, 64, 32, 40, 128, 0, 0, 0);
    ExpectEntry(table, 63, 0, 0, 0);
}

TEST(FillRamp, AscendingRampFromBlack)
{
    ColourTable table = Filled(7);
    FillRamp(table, 0, 64, 0, 0, 0, 32, 40, 128);
    ExpectEntry(table, 0, 0, 0, 0);
    ExpectEntry(table, 1, 0, 0, 2);
    ExpectEntry(table, 63, 32, 40, 128);
    ExpectEntry(table, 64, 7, 7, 7);
}

TEST(FillRamp, WritesOnlyItsRange)
{
    ColourTable table = Filled(7);
    FillRamp(table, 125, 50, 230, 220, 255, 0, 0, 0);
    ExpectEntry(table, 124, 7, 7, 7);
    ExpectEntry(table, 125, 230, 220, 255);
    ExpectEntry(table, 126, 225, 215, 249);
    ExpectEntry(table, 174, 0, 0, 0);
    ExpectEntry(table, 175, 7, 7, 7);
}

TEST(FillRamp, WrapsPastTheLastEntryToTheFirst)
{
    ColourTable table = Filled(7);
    FillRamp(table, 250, 10, 0, 0, 0, 90, 90, 90);
    ExpectEntry(table, 249, 7, 7, 7);
    ExpectEntry(table, 250, 0, 0, 0);
    ExpectEntry(table, 255, 50, 50, 50);
    ExpectEntry(table, 0, 60, 60, 60);
    ExpectEntry(table, 3, 90, 90, 90);
    ExpectEntry(table, 4, 7, 7, 7);
}

TEST(FillRamp, CountOfZeroOrLessWritesNothing)
{
    ColourTable table = Filled(7);
    FillRamp(table, 0, 0, 1, 2, 3, 4, 5, 6);
    FillRamp(table, 0, -5, 1, 2, 3, 4, 5, 6);
    FillRamp(table, 0, INT32_MIN, 1, 2, 3, 4, 5, 6);
    for (int i = 0; i < colourTableSize; ++i)
        ExpectEntry(table, i, 7, 7, 7);
}

TEST(FillRamp, OnlyTheLowEightBitsOfStartAndComponentsCount)
{
    ColourTable table = Filled(7);
    FillRamp(table, 300, 2, 256 + 10, -1, 512, 256 + 20, 255, 0);
    ExpectEntry(table, 43, 7, 7, 7);
    ExpectEntry(table, 44, 10, 255, 0);
    ExpectEntry(table, 45, 20, 255, 0);
}

TEST(FillRamp, OneEntryIsTheStartColour)
{
    ColourTable table = Filled(7);
    FillRamp(table, 9, 1, 11, 22, 33, 200, 200, 200);
    ExpectEntry(table, 8, 7, 7, 7);
    ExpectEntry(table, 9, 11, 22, 33);
    ExpectEntry(table, 10, 7, 7, 7);
}

} // namespace
