#include <gtest/gtest.h>

#include <vector>

#include "x11/hack_options.hpp"

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
    EXPECT_EQ(error, "--ticks: ticks must be ascending: 4 follows 5");
    EXPECT_FALSE(Parse({ "-ticks", "x" }, options, error));
    EXPECT_EQ(error, "-ticks: bad tick 'x'");
}

} // namespace
