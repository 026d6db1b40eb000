#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <unistd.h>

#include "tools/render/image_files.hpp"
#include "tools/render/render_options.hpp"

namespace {

bool Parse(std::vector<std::string> arguments, RenderOptions& options, std::string& error)
{
    return ParseRenderOptions(arguments, options, error);
}

TEST(RenderOptions, DefaultsToOneFrameAtTickZeroInThirtyTwoBits)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(Parse({ "-o", "a.png" }, options, error)) << error;
    EXPECT_EQ(options.format, 32);
    EXPECT_EQ(options.ticks, std::vector<uint32_t> { 0 });
    EXPECT_EQ(options.pngPath, "a.png");
}

TEST(RenderOptions, TickListIsAscendingAndMayRepeatATick)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(Parse({ "--ticks", "0,16,16,4294967295", "--raw", "f" }, options, error)) << error;
    EXPECT_EQ(options.ticks, (std::vector<uint32_t> { 0, 16, 16, 4294967295u }));
    EXPECT_FALSE(Parse({ "--ticks", "16,15", "--raw", "f" }, options, error));
    EXPECT_EQ(error, "--ticks: ticks must not decrease: 15 follows 16");
    EXPECT_FALSE(Parse({ "--ticks", "0,abcdefghijklmnopqrstuvwxyz", "--raw", "f" }, options, error));
    EXPECT_EQ(error, "--ticks: bad tick 'abcdefghijklmnopqrstuvwx'");
}

TEST(RenderOptions, RateGivesFrameKAtTruncatedMilliseconds)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(Parse({ "--fps", "3", "--seconds", "1", "--gif", "g.gif", "--format", "8" }, options, error)) << error;
    EXPECT_EQ(options.FrameCount(), 3u);
    EXPECT_EQ(options.TickAt(0), 333u);
    EXPECT_EQ(options.TickAt(2), 1000u);
    EXPECT_EQ(options.format, 8);
    EXPECT_EQ(options.gifPath, "g.gif");
    // Ten billion frames: worked out as they are drawn, not held.
    ASSERT_TRUE(Parse({ "--fps", "100000", "--seconds", "100000", "--raw", "f" }, options, error)) << error;
    EXPECT_EQ(options.FrameCount(), 10000000000u);
    EXPECT_EQ(options.TickAt(9999999999u), 100000000u);
}

TEST(RenderOptions, BadInputIsRefusedWithAReason)
{
    const std::vector<std::vector<std::string>> refused = {
        { "--format", "12", "-o", "a.png" },
        { "--format", "32x", "-o", "a.png" },
        { "--ticks", "", "-o", "a.png" },
        { "--ticks", "1,,2", "-o", "a.png" },
        { "--ticks", "-5", "-o", "a.png" },
        { "--ticks", "4294967296", "-o", "a.png" },
        { "--fps", "0", "--seconds", "1", "-o", "a.png" },
        { "--fps", "30", "-o", "a.png" },
        { "--fps", "30", "--seconds", "2", "--ticks", "5", "-o", "a.png" },
        { "--bogus", "1", "-o", "a.png" },
        { "-o" },
        { "--format", "8" },
    };
    for (const auto& arguments : refused) {
        RenderOptions options;
        std::string error;
        EXPECT_FALSE(Parse(arguments, options, error)) << arguments[0] << " " << arguments.size();
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

// Read back with giflib: each frame's delay in hundredths of a second, and a
// frame of exactly 256 colours kept exact rather than quantised.
TEST(RenderGif, DelaysAndExactColoursReadBack)
{
    auto buffer = std::make_unique<FrameBuffer>();
    StartRendering(*FindRenderFormat(32), *buffer);
    for (uint32_t i = 0; i < imageWidth * imageHeight; ++i) {
        const uint8_t k = static_cast<uint8_t>(i * 7 + i / imageWidth);
        uint8_t* pixel = buffer->bytes + i * 4;
        pixel[0] = static_cast<uint8_t>(k / 2); // blue
        pixel[1] = static_cast<uint8_t>(255 - k); // green
        pixel[2] = k; // red
    }
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        GifWriter writer;
        ASSERT_TRUE(writer.Open(fileno(file)));
        ASSERT_TRUE(writer.AddFrame(*buffer, 40));
        RenderFrame(1017, *buffer);
        ASSERT_TRUE(writer.AddFrame(*buffer, 1000));
        ASSERT_TRUE(writer.Close());
    }
    std::rewind(file);
    int status = 0;
    GifFileType* gif = DGifOpenFileHandle(dup(fileno(file)), &status);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    ASSERT_EQ(gif->ImageCount, 2);
    const int delays[] = { 4, 100 };
    for (int frame = 0; frame < 2; ++frame) {
        GraphicsControlBlock control {};
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, frame, &control), GIF_OK);
        EXPECT_EQ(control.DelayTime, delays[frame]) << "frame " << frame;
    }
    const SavedImage& first = gif->SavedImages[0];
    long wrong = 0;
    for (uint32_t i = 0; i < imageWidth * imageHeight; ++i) {
        const uint8_t k = static_cast<uint8_t>(i * 7 + i / imageWidth);
        const GifColorType& colour = first.ImageDesc.ColorMap->Colors[first.RasterBits[i]];
        wrong += colour.Red != k || colour.Green != 255 - k || colour.Blue != k / 2;
    }
    EXPECT_EQ(wrong, 0);
    DGifCloseFile(gif, &status);
    std::fclose(file);
}

} // namespace
