#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wayland/lock/lock_prompt.hpp"

// cairo's fonts come through fontconfig, which keeps its allocations for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

constexpr uint32_t width = 400, height = 200, image = 0x123456;
// The box is 300 by 76 about (200, 100); its border's stroke reaches a pixel out.
bool OutsideTheBox(uint32_t x, uint32_t y) { return x < 49 || x > 350 || y < 61 || y > 138; }

struct Drawn {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(width * height, image);

    explicit Drawn(const char* state)
    {
        const PromptPlace place { reinterpret_cast<uint8_t*>(pixels.data()), width, height, width * 4, 200, 100, 1 };
        testing::internal::CaptureStderr();
        DrawPrompt(place, 0, state);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
    // The first and last columns with the words' light ink between the rows, inside the border.
    std::pair<uint32_t, uint32_t> Ink(uint32_t top, uint32_t bottom) const
    {
        std::pair<uint32_t, uint32_t> columns { width, 0 };
        for (uint32_t y = top; y < bottom; ++y)
            for (uint32_t x = 53; x < 348; ++x)
                if ((pixels[y * width + x] & 0xff) > 0x80)
                    columns = { std::min(columns.first, x), std::max(columns.second, x) };
        return columns;
    }
};

TEST(LockPrompt, CountReadsAtFullSizeAndLongWordsStayInTheBox)
{
    const Drawn drawn(std::string(300, 'W').c_str());
    uint32_t touched = 0;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            touched += OutsideTheBox(x, y) && drawn.pixels[y * width + x] != image;
    EXPECT_EQ(touched, 0u);
    // The words' ink at its fullest is their 0.95 grey, lighter than anything else drawn:
    // 0.95 is 62258 in cairo's 16 bits a channel, 243 in 8.
    uint32_t lightest = 0;
    for (const uint32_t pixel : drawn.pixels)
        lightest = std::max(lightest, pixel & 0xFFFFFF);
    EXPECT_EQ(lightest, 0xF3F3F3u);
    // "Password: 0 characters" spans some 190 pixels at 17 and under 130 at cairo's default of 10.
    const auto [first, last] = drawn.Ink(64, 100);
    EXPECT_GT(last - first, 160u);
    EXPECT_LT(last - first, 284u); // the room inside the margins
}

TEST(LockPrompt, WordsShrunkToFitAreCentred)
{
    const auto [first, last] = Drawn(std::string(26, 'W').c_str()).Ink(101, 136);
    EXPECT_GT(last - first, 250u);
    EXPECT_LE(std::max(first - 50, 350 - last) - std::min(first - 50, 350 - last), 2u);
}

// Drawn again at every key, the prompt says only once that cairo cannot draw it.
TEST(LockPrompt, WhatCairoCannotDrawIsSaidOnce)
{
    uint32_t pixel = 0;
    const PromptPlace tooWide { reinterpret_cast<uint8_t*>(&pixel), 40000, 1, 160000, 0, 0, 1 }; // cairo's most is 32767
    testing::internal::CaptureStderr();
    DrawPrompt(tooWide, 0, "typing");
    DrawPrompt(tooWide, 0, "typing");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "aurilo-wayland: cannot draw the lock's prompt\n");
}

} // namespace
