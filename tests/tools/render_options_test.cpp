#include <gtest/gtest.h>

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
    EXPECT_EQ(error, "--ticks must be ascending: 15 follows 16");
}

TEST(RenderOptions, RateGivesFrameKAtTruncatedMilliseconds)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(Parse({ "--fps", "3", "--seconds", "1", "--gif", "g.gif", "--format", "8" }, options, error)) << error;
    EXPECT_EQ(options.ticks, (std::vector<uint32_t> { 333, 666, 1000 }));
    EXPECT_EQ(options.format, 8);
    EXPECT_EQ(options.gifPath, "g.gif");
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

} // namespace
