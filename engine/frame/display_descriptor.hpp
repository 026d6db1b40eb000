// The pixel format of the display and the one way pixels are written. Knows
// nothing of DirectDraw: it is configured from a bit count and three masks and
// bound to any block of memory with a row pitch.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

// Pixels are stored little-endian, as the machines this runs on store words.
static_assert(std::endian::native == std::endian::little);

constexpr uint32_t imageWidth = 640;
constexpr uint32_t imageHeight = 480;
// Where the wave field's centre and the picture's pivot go, whatever the
// target's size.
constexpr uint32_t imageMiddleX = imageWidth / 2;
constexpr uint32_t imageMiddleY = imageHeight / 2;
constexpr int paletteSize = 256;

// The display depths the saver draws in, one to four whole bytes a pixel: 8
// through the uniform palette, 16 (555 or 565 by the masks), 24 and 32.
constexpr bool IsSupportedBitCount(uint32_t bitCount)
{
    return bitCount % 8 == 0 && bitCount >= 8 && bitCount <= 32;
}

// A bit count and the three channel masks, as a display reports them.
struct PixelFormat {
    uint32_t bitCount;
    uint32_t redMask;
    uint32_t greenMask;
    uint32_t blueMask;
};

// Laid out as the platform's palette entry: red, green, blue, flags.
struct PaletteEntry {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t flags;
};

struct DisplayDescriptor {
    uint32_t bytesPerPixel = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    int32_t redShift = 0;
    int32_t greenShift = 0;
    int32_t blueShift = 0;
    uint8_t* pixels = nullptr;
    int32_t pitch = 0;
    uint32_t fillColor = 0; // black in every supported format
    uint32_t width = 0;
    uint32_t height = 0;

    // Each signed shift split into a left and a right part (one of them 0),
    // so that a pixel write needs no branch on the shift's sign.
    uint32_t redLeft = 0, redRight = 0;
    uint32_t greenLeft = 0, greenRight = 0;
    uint32_t blueLeft = 0, blueRight = 0;

    // False, with nothing changed, for bit counts other than 8, 16, 24 and 32.
    // At 8 bits the masks are the fixed 3-3-2 ones of the uniform palette.
    bool ConfigureFormat(uint32_t bitCount, uint32_t red, uint32_t green, uint32_t blue);
    static void BuildUniformPalette(PaletteEntry entries[paletteSize]);
    void BindPixels(uint8_t* firstRow, int32_t rowPitch);

    template <typename Word>
    static void Store(uint8_t* address, Word value) { std::memcpy(address, &value, sizeof value); }

    // A pixel value of this format, stored with its byte count as a constant.
    template <uint32_t bytes>
    static void StoreValue(uint8_t* address, uint32_t value)
    {
        static_assert(bytes >= 1 && bytes <= 4);
        if constexpr (bytes == 1) {
            address[0] = static_cast<uint8_t>(value);
        } else if constexpr (bytes == 2) {
            Store(address, static_cast<uint16_t>(value));
        } else if constexpr (bytes == 3) {
            // Three bytes and not one more: the next pixel's first byte is left alone.
            Store(address, static_cast<uint16_t>(value));
            address[2] = static_cast<uint8_t>(value >> 16);
        } else {
            Store(address, value);
        }
    }

    void StoreValue(uint8_t* address, uint32_t value) const
    {
        switch (bytesPerPixel) {
        case 1:
            return StoreValue<1>(address, value);
        case 2:
            return StoreValue<2>(address, value);
        case 3:
            return StoreValue<3>(address, value);
        case 4:
            return StoreValue<4>(address, value);
        default:
            return;
        }
    }

    uint32_t PackColour(uint32_t red, uint32_t green, uint32_t blue) const
    {
        return (((red << redLeft) >> redRight) & redMask)
            | (((green << greenLeft) >> greenRight) & greenMask)
            | (((blue << blueLeft) >> blueRight) & blueMask);
    }

    // Callers keep x and y inside the image.
    uint8_t* PixelAddress(uint32_t x, uint32_t y) const
    {
        return pixels + static_cast<int32_t>(y) * static_cast<intptr_t>(pitch) + x * bytesPerPixel;
    }

    void PutPixel(uint32_t x, uint32_t y, uint32_t red, uint32_t green, uint32_t blue)
    {
        // Negative coordinates arrive as large unsigned values and are dropped here too.
        if (x >= width || y >= height)
            return;
        StoreValue(PixelAddress(x, y), PackColour(red, green, blue));
    }
};

// How far an 8-bit component moves to meet the mask: its bit 7 lines up with the
// mask's highest bit. Positive is left, negative right; an empty mask gives 0.
int32_t MaskShift(uint32_t mask);

extern DisplayDescriptor displayDescriptor;
