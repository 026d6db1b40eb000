#include <gtest/gtest.h>

#include <memory>

#include "x11/hack_options.hpp"
#include "x11/image_fit.hpp"

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
    EXPECT_FALSE(options.showFps);
    EXPECT_TRUE(options.ticks.empty());
}

TEST(HackOptions, SingleAndDoubleDashFormsAreTheSame)
{
    for (const char* root : { "-root", "--root" }) {
        HackOptions options;
        std::string error;
        ASSERT_TRUE(Parse({ root, "--delay", "5000", "-fps", "--display", ":3" }, options, error)) << error;
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
        { "-window-id", "0x100000000" }, { "-ticks", "5,4" } };
    for (const auto& arguments : refused) {
        HackOptions options;
        std::string error;
        EXPECT_FALSE(Parse(arguments, options, error)) << arguments[0];
        EXPECT_FALSE(error.empty());
    }
    HackOptions options;
    std::string error;
    EXPECT_FALSE(Parse({}, options, error, "not-a-window"));
}

TEST(ImageFit, CentredAtFullSizeWhenTheWindowIsLargeEnough)
{
    const ImageFit fit = FitImage(1025, 769);
    EXPECT_EQ(fit.x, 192u);
    EXPECT_EQ(fit.y, 144u);
    EXPECT_EQ(fit.width, 640u);
    EXPECT_EQ(fit.height, 480u);
    EXPECT_FALSE(fit.Scaled());
    EXPECT_FALSE(FitImage(640, 480).Scaled());
}

TEST(ImageFit, ScaledDownWithItsAspectInSmallerWindows)
{
    const ImageFit half = FitImage(320, 240);
    EXPECT_EQ(half.x, 0u);
    EXPECT_EQ(half.y, 0u);
    EXPECT_EQ(half.width, 320u);
    EXPECT_EQ(half.height, 240u);
    const ImageFit tall = FitImage(400, 600);
    EXPECT_EQ(tall.width, 400u);
    EXPECT_EQ(tall.height, 300u);
    EXPECT_EQ(tall.y, 150u);
    const ImageFit wide = FitImage(1000, 300);
    EXPECT_EQ(wide.width, 400u);
    EXPECT_EQ(wide.height, 300u);
    EXPECT_EQ(wide.x, 300u);
    EXPECT_EQ(FitImage(0, 0).width, 0u);
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
}

} // namespace
