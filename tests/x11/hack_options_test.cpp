#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "x11/hack_options.hpp"
#include "engine/frame/frame_scaling.hpp"

namespace {

bool Parse(std::vector<std::string> arguments, HackOptions& options, std::string& error,
    const char* xscreensaverWindow = nullptr)
{
    return ParseHackOptions(arguments, xscreensaverWindow, options, error);
}

TEST(HackOptions, DefaultsToItsOwnWindowNearSixtyFramesASecond)
{
    HackOptions options;
    std::string error;
    ASSERT_TRUE(Parse({}, options, error)) << error;
    EXPECT_EQ(options.target, HackTarget::OwnWindow);
    EXPECT_EQ(options.delayMicroseconds, 16000u);
    EXPECT_EQ(options.maxScale, 0u);
    EXPECT_FALSE(options.showFps);
    EXPECT_TRUE(options.ticks.empty());
}

TEST(HackOptions, SingleAndDoubleDashFormsAreTheSame)
{
    for (const char* root : { "-root", "--root" }) {
        HackOptions options;
        std::string error;
        ASSERT_TRUE(Parse({ root, "--delay", "5000", "-fps", "--display", ":3", "--scale", "2" }, options, error))
            << error;
        EXPECT_EQ(options.maxScale, 2u);
        EXPECT_EQ(options.target, HackTarget::Root);
        EXPECT_EQ(options.delayMicroseconds, 5000u);
        EXPECT_TRUE(options.showFps);
        EXPECT_EQ(options.display, ":3");
    }
}

TEST(HackOptions, WindowIdInDecimalOrHex)
{
    HackOptions options;
    std::string error;
    ASSERT_TRUE(Parse({ "-window-id", "0x2a0001" }, options, error)) << error;
    EXPECT_EQ(options.target, HackTarget::WindowId);
    EXPECT_EQ(options.windowId, 0x2a0001ul);
    ASSERT_TRUE(Parse({ "--window-id", "1234" }, options, error)) << error;
    EXPECT_EQ(options.windowId, 1234ul);
}

TEST(HackOptions, XscreensaverWindowIsUsedUnlessAWindowIdIsGiven)
{
    HackOptions options;
    std::string error;
    ASSERT_TRUE(Parse({ "-root" }, options, error, "0x400007")) << error;
    EXPECT_EQ(options.target, HackTarget::WindowId);
    EXPECT_EQ(options.windowId, 0x400007ul);
    HackOptions explicitOne;
    ASSERT_TRUE(Parse({ "-window-id", "77" }, explicitOne, error, "0x400007")) << error;
    EXPECT_EQ(explicitOne.windowId, 77ul);
    HackOptions unset;
    ASSERT_TRUE(Parse({}, unset, error, "")) << error;
    EXPECT_EQ(unset.target, HackTarget::OwnWindow);
}

TEST(HackOptions, BadInputIsRefused)
{
    const std::vector<std::vector<std::string>> refused = { { "-bogus" }, { "-delay" }, { "-delay", "-5" },
        { "-delay", "10000001" }, { "-window-id", "0" }, { "-window-id", "0x" }, { "-window-id", "12z" },
        { "-window-id", "0x100000000" }, { "-ticks", "5,4" }, { "-scale", "0" }, { "-scale", "-1" },
        { "-scale", "1.5" }, { "-scale" } };
    for (const auto& arguments : refused) {
        HackOptions options;
        std::string error;
        EXPECT_FALSE(Parse(arguments, options, error)) << arguments[0];
        EXPECT_FALSE(error.empty());
    }
    HackOptions options;
    std::string error;
    EXPECT_FALSE(Parse({}, options, error, "not-a-window"));
    EXPECT_FALSE(Parse({ "--ticks", "5,4" }, options, error));
    EXPECT_EQ(error, "--ticks: ticks must not decrease: 4 follows 5");
    EXPECT_FALSE(Parse({ "-ticks", "x" }, options, error));
    EXPECT_EQ(error, "-ticks: bad tick 'x'");
}

TEST(ImageFit, ScalingTakesTheNearestPixelFromTheTopLeft)
{
    auto frame = std::make_unique<FrameBuffer>();
    frame->bytesPerPixel = 1;
    frame->pitch = imageWidth;
    for (uint32_t y = 0; y < imageHeight; ++y)
        for (uint32_t x = 0; x < imageWidth; ++x)
            frame->bytes[y * imageWidth + x] = static_cast<uint8_t>(x + 3 * y);
    uint8_t scaled[240][320];
    ScaleFrame(*frame, &scaled[0][0], 320, 320, 240);
    EXPECT_EQ(scaled[0][0], 0);
    EXPECT_EQ(scaled[0][1], 2);
    EXPECT_EQ(scaled[1][0], 6);
    EXPECT_EQ(scaled[239][319], static_cast<uint8_t>(638 + 3 * 478));

    // 149x112: column 148 takes 148 * 640 / 149 = 635, row 111 takes 111 * 480 / 112 = 475.
    uint8_t odd[112][149];
    ScaleFrame(*frame, &odd[0][0], 149, 149, 112);
    EXPECT_EQ(odd[0][1], 4);
    EXPECT_EQ(odd[1][0], static_cast<uint8_t>(3 * 4));
    EXPECT_EQ(odd[111][148], static_cast<uint8_t>(635 + 3 * 475));

    // x2: every source pixel a 2x2 block.
    std::vector<uint8_t> doubled(1280 * 960);
    ScaleFrame(*frame, doubled.data(), 1280, 1280, 960);
    EXPECT_EQ(doubled[0], doubled[1281]);
    EXPECT_EQ(doubled[2], 1);
    EXPECT_EQ(doubled[2 * 1280], 3);
    EXPECT_EQ(doubled[959 * 1280 + 1279], static_cast<uint8_t>(639 + 3 * 479));
}

} // namespace
