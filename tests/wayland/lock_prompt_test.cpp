#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wayland/lock/lock_prompt.hpp"

namespace {

constexpr uint32_t width = 400, height = 200, image = 0x123456;
// The box is 300 by 76 about (200, 100); its border's stroke reaches a pixel out.
bool OutsideTheBox(uint32_t x, uint32_t y) { return x < 49 || x > 350 || y < 61 || y > 138; }

TEST(LockPrompt, CountReadsAtFullSizeAndLongWordsStayInTheBox)
{
    std::vector<uint32_t> pixels(width * height, image);
    const PromptPlace place { reinterpret_cast<uint8_t*>(pixels.data()), width, height, width * 4, 200, 100, 1 };
    const std::string longWords(300, 'W');
    ASSERT_TRUE(DrawPrompt(place, 0, longWords.c_str()));
    uint32_t touched = 0, firstInk = width, lastInk = 0;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t pixel = pixels[y * width + x];
            touched += OutsideTheBox(x, y) && pixel != image;
            if (y > 63 && y < 100 && x > 52 && x < 348 && (pixel & 0xff) > 0x80) {
                firstInk = std::min(firstInk, x);
                lastInk = std::max(lastInk, x);
            }
        }
    EXPECT_EQ(touched, 0u);
    // "Password: 0 characters" spans some 190 pixels at 17 and under 130 at cairo's default of 10.
    EXPECT_GT(lastInk - firstInk, 160u);
    EXPECT_LT(lastInk - firstInk, 284u); // the room inside the margins
}

} // namespace
