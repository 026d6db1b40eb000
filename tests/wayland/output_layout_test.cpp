#include <gtest/gtest.h>

#include <array>

#include "wayland/output_layout.hpp"
#include "wayland/wayland_options.hpp"

namespace {

// Logical place and size, buffer size, the image's place in it, buffer scale, viewport.
void ExpectLayout(const OutputLayout& layout, std::array<uint32_t, 8> want, int32_t bufferScale, bool viewport)
{
    EXPECT_EQ((std::array<uint32_t, 8> { static_cast<uint32_t>(layout.x), static_cast<uint32_t>(layout.y), layout.width,
                  layout.height, layout.bufferWidth, layout.bufferHeight, layout.imageX, layout.imageY }),
        want);
    EXPECT_EQ(layout.bufferScale, bufferScale);
    EXPECT_EQ(layout.viewport, viewport);
}

TEST(OutputLayout, TheImageSurfaceCoversWholeLogicalAndDevicePixels)
{
    ExpectLayout(LayOutImage(1920, 1080, 1920, 1080, 0, false), { 320, 60, 1280, 960, 1280, 960, 0, 0 }, 1, false);
    ExpectLayout(LayOutImage(3840, 2160, 1920, 1080, 0, false), { 320, 60, 1280, 960, 2560, 1920, 0, 0 }, 2, false);
    // 1.5: three device pixels are two logical ones. The x2 image is 853.33
    // logical pixels wide at 213.33: the surface takes 856 from 212, black
    // around the image's 1280 device pixels.
    ExpectLayout(LayOutImage(1920, 1200, 1280, 800, 0, false), { 212, 80, 856, 640, 1284, 960, 2, 0 }, 1, true);
    ExpectLayout(LayOutImage(2880, 1620, 1920, 1080, 0, false), { 320, 60, 1280, 960, 1920, 1440, 0, 0 }, 1, true);
    // The compositor blows up a 640x480 buffer: x2 of 1280x960 device pixels at 800,330.
    ExpectLayout(LayOutImage(2880, 1620, 1920, 1080, 2, true), { 533, 220, 853, 640, 640, 480, 0, 0 }, 1, true);
}

TEST(WaylandOptions, HackSpellingsAndFaultsThatNameTheOption)
{
    WaylandOptions options;
    std::string error;
    ASSERT_TRUE(ParseWaylandOptions({ "-window", "--fps", "-scale", "3", "--compositor-scaling", "-ticks", "0,5" },
        options, error))
        << error;
    EXPECT_TRUE(options.window && options.showFps && options.compositorScaling);
    EXPECT_EQ(options.maxScale, 3u);
    EXPECT_EQ(options.ticks, (std::vector<uint32_t> { 0, 5 }));
    EXPECT_FALSE(ParseWaylandOptions({ "--ticks", "5,4" }, options, error));
    EXPECT_EQ(error, "--ticks: ticks must be ascending: 4 follows 5");
    EXPECT_FALSE(ParseWaylandOptions({ "-scale", "0" }, options, error));
    EXPECT_FALSE(ParseWaylandOptions({ "-root" }, options, error));
    EXPECT_EQ(error, "unknown option '-root'");
}

} // namespace
