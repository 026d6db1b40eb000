#include <gtest/gtest.h>

#include <memory>
#include <vector>

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
}

void ExpectFit(uint32_t windowWidth, uint32_t windowHeight, uint32_t maxScale, ImageFit want)
{
    const ImageFit fit = FitImage(windowWidth, windowHeight, maxScale);
    EXPECT_EQ(fit.x, want.x) << windowWidth << "x" << windowHeight;
    EXPECT_EQ(fit.y, want.y) << windowWidth << "x" << windowHeight;
    EXPECT_EQ(fit.width, want.width) << windowWidth << "x" << windowHeight;
    EXPECT_EQ(fit.height, want.height) << windowWidth << "x" << windowHeight;
}

TEST(ImageFit, BigWindowsShowItBlownUpByTheLargestWholeFactorCentred)
{
    ExpectFit(1920, 1080, 0, { 320, 60, 1280, 960 });
    ExpectFit(2560, 1440, 0, { 320, 0, 1920, 1440 });
    ExpectFit(3840, 2160, 0, { 640, 120, 2560, 1920 });
    ExpectFit(1024, 768, 0, { 192, 144, 640, 480 });
    ExpectFit(1366, 768, 0, { 363, 144, 640, 480 });
    ExpectFit(1279, 959, 0, { 319, 239, 640, 480 });
    ExpectFit(640, 480, 0, { 0, 0, 640, 480 });
    EXPECT_EQ(FitImage(3840, 2160).WholeFactor(), 4u);
    EXPECT_EQ(FitImage(320, 240).WholeFactor(), 0u);
}

TEST(ImageFit, ScaleCapsTheFactor)
{
    ExpectFit(1920, 1080, 1, { 640, 300, 640, 480 });
    ExpectFit(3840, 2160, 3, { 960, 360, 1920, 1440 });
    ExpectFit(1920, 1080, 5, { 320, 60, 1280, 960 });
    ExpectFit(320, 240, 1, { 0, 0, 320, 240 });
}

// The relatively shorter side is filled, the other rounded down, the odd
// margin pixel to the right or the bottom.
TEST(ImageFit, SmallWindowsShowTheWholeImageScaledDown)
{
    ExpectFit(320, 240, 0, { 0, 0, 320, 240 });
    ExpectFit(400, 600, 0, { 0, 150, 400, 300 });
    ExpectFit(1000, 300, 0, { 300, 0, 400, 300 });
    ExpectFit(150, 112, 0, { 0, 0, 149, 112 });
    ExpectFit(200, 150, 0, { 0, 0, 200, 150 });
    ExpectFit(300, 150, 0, { 50, 0, 200, 150 });
    ExpectFit(150, 200, 0, { 0, 44, 150, 112 });
    ExpectFit(639, 480, 0, { 0, 0, 639, 479 });
    ExpectFit(0, 0, 0, { 0, 0, 0, 0 });
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
