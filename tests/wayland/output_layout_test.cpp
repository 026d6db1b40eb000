#include <gtest/gtest.h>

#include <array>

#include "wayland/output_layout.hpp"

namespace {

// Logical place and size, buffer size, the image's place in it.
std::array<uint32_t, 8> Placed(const OutputLayout& layout)
{
    return { static_cast<uint32_t>(layout.x), static_cast<uint32_t>(layout.y), layout.width, layout.height,
        layout.bufferWidth, layout.bufferHeight, layout.imageX, layout.imageY };
}

// The captures check the exact cases on the screen; these pin the arithmetic
// where three device pixels are two logical ones.
TEST(OutputLayout, AtScaleOneAndAHalfTheSurfaceTakesWholeLogicalAndDevicePixels)
{
    // The x2 image is 853.33 logical pixels wide at 213.33: the surface takes
    // 856 from 212, black around the image's 1280 device pixels.
    const OutputLayout exact = LayOutImage(1920, 1200, 1280, 800, 0, false);
    EXPECT_EQ(Placed(exact), (std::array<uint32_t, 8> { 212, 80, 856, 640, 1284, 960, 2, 0 }));
    EXPECT_TRUE(exact.viewport);
    // The compositor blows up a 640x480 buffer: x2 of 1280x960 device pixels at 800,330.
    const OutputLayout scaled = LayOutImage(2880, 1620, 1920, 1080, 2, true);
    EXPECT_EQ(Placed(scaled), (std::array<uint32_t, 8> { 533, 220, 853, 640, 640, 480, 0, 0 }));
    EXPECT_EQ(LayOutImage(3840, 2160, 1920, 1080, 0, false).bufferScale, 2);
    // Near 1.75 logical places and sizes round to nearest: the x4 image at
    // 640,120 device pixels is at 365.7,68.6 logical, 1462.7x1096.9.
    const OutputLayout rounded = LayOutImage(3840, 2160, 2194, 1234, 0, true);
    EXPECT_EQ(Placed(rounded), (std::array<uint32_t, 8> { 366, 69, 1463, 1097, 640, 480, 0, 0 }));
}

} // namespace
