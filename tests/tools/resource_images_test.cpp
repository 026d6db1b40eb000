#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tools/resources/resource_images.hpp"

namespace {

FileBytes Committed(const std::string& name)
{
    std::ifstream file(std::string(AURILO_SOURCE_DIR) + "/resources/" + name, std::ios::binary);
    return FileBytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

uint32_t Read16(const FileBytes& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8;
}

uint32_t Read32(const FileBytes& bytes, size_t at)
{
    return Read16(bytes, at) | Read16(bytes, at + 2) << 16;
}

constexpr char regenerate[] = "stale: rebuild with 'cmake --build build/native --target resource-images'";

TEST(ResourceImages, CommittedPreviewBitmapIsWhatTheGeneratorMakes)
{
    EXPECT_EQ(Committed("preview.bmp"), MakePreviewBitmap()) << "resources/preview.bmp is " << regenerate;
}

TEST(ResourceImages, CommittedIconIsWhatTheGeneratorMakes)
{
    EXPECT_EQ(Committed("aurilo.ico"), MakeSaverIcon()) << "resources/aurilo.ico is " << regenerate;
}

TEST(ResourceImages, PreviewIs160By120With256Colours)
{
    const FileBytes bitmap = MakePreviewBitmap();
    ASSERT_GE(bitmap.size(), 54u);
    EXPECT_EQ(bitmap[0], 'B');
    EXPECT_EQ(bitmap[1], 'M');
    EXPECT_EQ(Read32(bitmap, 2), bitmap.size());
    EXPECT_EQ(Read32(bitmap, 10), 14u + 40 + 256 * 4);
    EXPECT_EQ(Read32(bitmap, 18), 160u);
    EXPECT_EQ(Read32(bitmap, 22), 120u);
    EXPECT_EQ(Read16(bitmap, 28), 8u);
    EXPECT_EQ(bitmap.size(), 14u + 40 + 256 * 4 + 160 * 120);
}

TEST(ResourceImages, IconHoldsThe32And16PixelImagesIn16And256Colours)
{
    const FileBytes icon = MakeSaverIcon();
    ASSERT_GE(icon.size(), 6u + 3 * 16);
    EXPECT_EQ(Read16(icon, 2), 1u);
    ASSERT_EQ(Read16(icon, 4), 3u);
    const struct {
        uint32_t size, colours, bitCount;
    } expected[] = { { 32, 16, 4 }, { 32, 0, 8 }, { 16, 16, 4 } };
    for (size_t i = 0; i < 3; ++i) {
        const size_t entry = 6 + 16 * i;
        EXPECT_EQ(icon[entry], expected[i].size);
        EXPECT_EQ(icon[entry + 1], expected[i].size);
        EXPECT_EQ(icon[entry + 2], expected[i].colours);
        EXPECT_EQ(Read16(icon, entry + 6), expected[i].bitCount);
        const uint32_t offset = Read32(icon, entry + 12);
        ASSERT_LT(offset + 40, icon.size());
        EXPECT_EQ(Read32(icon, offset + 4), expected[i].size); // width
        EXPECT_EQ(Read32(icon, offset + 8), expected[i].size * 2); // colour and mask rows
    }
}

} // namespace
