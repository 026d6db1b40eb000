// A 640 x 480 32-bit canvas for tests: the descriptor bound to a plain buffer,
// every pixel readable back as its 0xRRGGBB value.
#pragma once

#include <cstdint>
#include <cstring>

#include "engine/frame/display_descriptor.hpp"

struct TestCanvas {
    static constexpr uint32_t emptyPixel = 0xDEADBEEF;
    uint32_t pixels[imageHeight][imageWidth];
    DisplayDescriptor descriptor;

    TestCanvas()
    {
        descriptor.ConfigureFormat(32, 0xFF0000, 0x00FF00, 0x0000FF);
        Clear();
    }

    void Clear()
    {
        for (auto& row : pixels)
            for (uint32_t& pixel : row)
                pixel = emptyPixel;
        descriptor.BindPixels(reinterpret_cast<uint8_t*>(pixels), imageWidth * 4);
    }

    uint32_t At(uint32_t x, uint32_t y) const { return pixels[y][x]; }

    int CountDrawn() const
    {
        int count = 0;
        for (const auto& row : pixels)
            for (uint32_t pixel : row)
                count += pixel != emptyPixel;
        return count;
    }
};

constexpr uint32_t RgbValue(uint8_t red, uint8_t green, uint8_t blue)
{
    return static_cast<uint32_t>(red) << 16 | static_cast<uint32_t>(green) << 8 | blue;
}
