#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "engine/frame/display_descriptor.hpp"

namespace {

struct FormatCase {
    const char* name;
    uint32_t bitCount, red, green, blue;
    int32_t redShift, greenShift, blueShift;
    uint32_t orange, slate, white; // (255, 128, 0), (18, 52, 86), (255, 255, 255)
};

class PixelFormats : public testing::TestWithParam<FormatCase> { };

uint32_t StoredValue(const std::vector<uint8_t>& bytes, uint32_t offset, uint32_t bytesPerPixel)
{
    uint32_t value = 0;
    for (uint32_t i = 0; i < bytesPerPixel; ++i)
        value |= static_cast<uint32_t>(bytes[offset + i]) << (8 * i);
    return value;
}

TEST_P(PixelFormats, ShiftsAndWorkedPixelValues)
{
    const FormatCase format = GetParam();
    DisplayDescriptor descriptor;
    ASSERT_TRUE(descriptor.ConfigureFormat(format.bitCount, format.red, format.green, format.blue));
    EXPECT_EQ(descriptor.bytesPerPixel, format.bitCount / 8);
    EXPECT_EQ(descriptor.redShift, format.redShift);
    EXPECT_EQ(descriptor.greenShift, format.greenShift);
    EXPECT_EQ(descriptor.blueShift, format.blueShift);
    EXPECT_EQ(descriptor.width, 640u);
    EXPECT_EQ(descriptor.height, 480u);
    EXPECT_EQ(descriptor.fillColor, 0u);

    const uint32_t size = descriptor.bytesPerPixel;
    std::vector<uint8_t> bytes(imageWidth * size * imageHeight, 0xAA);
    descriptor.BindPixels(bytes.data(), static_cast<int32_t>(imageWidth * size));
    descriptor.PutPixel(0, 0, 255, 128, 0);
    descriptor.PutPixel(1, 0, 18, 52, 86);
    descriptor.PutPixel(639, 479, 255, 255, 255);
    EXPECT_EQ(StoredValue(bytes, 0, size), format.orange);
    EXPECT_EQ(StoredValue(bytes, size, size), format.slate);
    EXPECT_EQ(StoredValue(bytes, static_cast<uint32_t>(bytes.size()) - size, size), format.white);
    EXPECT_EQ(bytes[2 * size], 0xAA);
}

INSTANTIATE_TEST_SUITE_P(Displays, PixelFormats,
    testing::Values(
        FormatCase { "Palette332", 8, 0, 0, 0, 0, -3, -6, 0xF0, 0x05, 0xFF },
        FormatCase { "Rgb565", 16, 0xF800, 0x07E0, 0x001F, 8, 3, -3, 0xFC00, 0x11AA, 0xFFFF },
        FormatCase { "Rgb555", 16, 0x7C00, 0x03E0, 0x001F, 7, 2, -3, 0x7E00, 0x08CA, 0x7FFF },
        FormatCase { "Rgb24", 24, 0xFF0000, 0xFF00, 0xFF, 16, 8, 0, 0xFF8000, 0x123456, 0xFFFFFF },
        FormatCase { "Rgb32", 32, 0xFF0000, 0xFF00, 0xFF, 16, 8, 0, 0xFF8000, 0x123456, 0xFFFFFF },
        FormatCase { "Bgr32", 32, 0xFF, 0xFF00, 0xFF0000, 0, 8, 16, 0x0080FF, 0x563412, 0xFFFFFF }),
    [](const testing::TestParamInfo<FormatCase>& info) { return info.param.name; });

TEST(MaskShift, LinesBitSevenUpWithTheTopOfTheMask)
{
    EXPECT_EQ(MaskShift(0xF800), 8);
    EXPECT_EQ(MaskShift(0x07E0), 3);
    EXPECT_EQ(MaskShift(0x001F), -3);
    EXPECT_EQ(MaskShift(0x7C00), 7);
    EXPECT_EQ(MaskShift(0x03E0), 2);
    EXPECT_EQ(MaskShift(0xFF0000), 16);
    EXPECT_EQ(MaskShift(0xE0), 0);
    EXPECT_EQ(MaskShift(0x1C), -3);
    EXPECT_EQ(MaskShift(0x03), -6);
    EXPECT_EQ(MaskShift(0x01), -7);
    EXPECT_EQ(MaskShift(0x80000000), 24);
    EXPECT_EQ(MaskShift(0), 0);
}

TEST(ConfigureFormat, EightBitsIgnoresTheGivenMasks)
{
    DisplayDescriptor descriptor;
    ASSERT_TRUE(descriptor.ConfigureFormat(8, 0xF800, 0x07E0, 0x001F));
    EXPECT_EQ(descriptor.redMask, 0xE0u);
    EXPECT_EQ(descriptor.greenMask, 0x1Cu);
    EXPECT_EQ(descriptor.blueMask, 0x03u);
}

TEST(ConfigureFormat, UnsupportedBitCountsChangeNothing)
{
    DisplayDescriptor descriptor;
    ASSERT_TRUE(descriptor.ConfigureFormat(16, 0xF800, 0x07E0, 0x001F));
    for (uint32_t bitCount : { 0u, 1u, 4u, 15u, 31u, 64u }) {
        EXPECT_FALSE(descriptor.ConfigureFormat(bitCount, 0xFF0000, 0xFF00, 0xFF)) << bitCount;
        EXPECT_EQ(descriptor.bytesPerPixel, 2u);
        EXPECT_EQ(descriptor.redMask, 0xF800u);
        EXPECT_EQ(descriptor.redShift, 8);
    }
}

class SmallCanvas : public testing::Test {
protected:
    static constexpr int32_t pitch = 640 * 3 + 5;
    std::vector<uint8_t> bytes = std::vector<uint8_t>(pitch * 480 + 8, 0xAA);
    DisplayDescriptor descriptor;

    void Configure(uint32_t bitCount, uint32_t red, uint32_t green, uint32_t blue)
    {
        ASSERT_TRUE(descriptor.ConfigureFormat(bitCount, red, green, blue));
        descriptor.BindPixels(bytes.data(), pitch);
    }
    int Untouched() const { return static_cast<int>(std::count(bytes.begin(), bytes.end(), 0xAA)); }
};

TEST_F(SmallCanvas, PointsOffTheImageAreDropped)
{
    Configure(24, 0xFF0000, 0xFF00, 0xFF);
    const int before = Untouched();
    descriptor.PutPixel(640, 0, 1, 2, 3);
    descriptor.PutPixel(0, 480, 1, 2, 3);
    descriptor.PutPixel(static_cast<uint32_t>(-1), 5, 1, 2, 3);
    descriptor.PutPixel(5, static_cast<uint32_t>(-1), 1, 2, 3);
    EXPECT_EQ(Untouched(), before);
    descriptor.PutPixel(639, 479, 1, 2, 3);
    EXPECT_EQ(Untouched(), before - 3);
}

TEST_F(SmallCanvas, TwentyFourBitStoreLeavesTheNextByteAndThePitchGap)
{
    Configure(24, 0xFF0000, 0xFF00, 0xFF);
    descriptor.PutPixel(639, 0, 0x12, 0x34, 0x56);
    EXPECT_EQ(bytes[639 * 3], 0x56);
    EXPECT_EQ(bytes[639 * 3 + 1], 0x34);
    EXPECT_EQ(bytes[639 * 3 + 2], 0x12);
    for (int gap = 640 * 3; gap < pitch; ++gap)
        EXPECT_EQ(bytes[gap], 0xAA) << gap;
    descriptor.PutPixel(0, 1, 0x12, 0x34, 0x56);
    EXPECT_EQ(bytes[pitch], 0x56);
    EXPECT_EQ(bytes[pitch + 3], 0xAA);
}

TEST_F(SmallCanvas, ThirtyTwoBitStoreWritesTheUncoveredTopByteAsZero)
{
    Configure(32, 0xFF0000, 0xFF00, 0xFF);
    descriptor.BindPixels(bytes.data(), 640 * 4);
    descriptor.PutPixel(0, 0, 255, 255, 255);
    EXPECT_EQ(bytes[3], 0x00);
    EXPECT_EQ(bytes[4], 0xAA);
}

TEST_F(SmallCanvas, ZeroMaskChannelContributesNothing)
{
    Configure(16, 0xF800, 0x07E0, 0);
    descriptor.PutPixel(0, 0, 0, 0, 255);
    EXPECT_EQ(bytes[0], 0x00);
    EXPECT_EQ(bytes[1], 0x00);
}

TEST_F(SmallCanvas, ComponentsAboveEightBitsStayInTheirChannel)
{
    Configure(16, 0xF800, 0x07E0, 0x001F);
    descriptor.PutPixel(0, 0, 0, 0xFFFFFFFF, 0);
    EXPECT_EQ(bytes[0] | bytes[1] << 8, 0x07E0);
    Configure(8, 0, 0, 0);
    descriptor.PutPixel(1, 0, 0, 0, 0x3FF);
    EXPECT_EQ(bytes[1], 0x03);
}

TEST(UniformPalette, EightRedAndGreenLevelsFourBlue)
{
    std::array<PaletteEntry, paletteSize> entries;
    entries.fill(PaletteEntry { 1, 1, 1, 1 });
    DisplayDescriptor::BuildUniformPalette(entries.data());
    auto rgbf = [&](int i) {
        const PaletteEntry& e = entries[i];
        return std::array<int, 4> { e.red, e.green, e.blue, e.flags };
    };
    EXPECT_EQ(rgbf(0), (std::array<int, 4> { 0, 0, 0, 0 }));
    EXPECT_EQ(rgbf(255), (std::array<int, 4> { 255, 255, 255, 0 }));
    EXPECT_EQ(rgbf(204), (std::array<int, 4> { 218, 109, 0, 0 }));
    EXPECT_EQ(rgbf(0x25), (std::array<int, 4> { 36, 36, 85, 0 }));
    EXPECT_EQ(rgbf(0x92), (std::array<int, 4> { 145, 145, 170, 0 }));
}

} // namespace
