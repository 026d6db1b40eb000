// Compares a window captured with xwd against a frame that aurilo-render wrote
// (--raw) in the same format: the frame, placed and scaled as the hack shows
// it, pixel value for pixel value, and black (0) around it. The placement is
// the one given, or else the hack's own rule for the capture's size; the
// scaling is worked out here, not with the product's.
//   compare-xwd CAPTURE.xwd FRAME.raw BYTES-PER-PIXEL [X Y WIDTH HEIGHT]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "engine/frame/image_placement.hpp"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

uint32_t BigEndian32(const Bytes& bytes, size_t at)
{
    return static_cast<uint32_t>(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
}

uint32_t Pixel(const uint8_t* at, uint32_t size, bool mostSignificantFirst)
{
    uint32_t value = 0;
    for (uint32_t i = 0; i < size; ++i)
        value |= static_cast<uint32_t>(at[mostSignificantFirst ? size - 1 - i : i]) << (8 * i);
    return value;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 8)
        return 2;
    const Bytes capture = ReadFile(argv[1]);
    const Bytes raw = ReadFile(argv[2]);
    const auto size = static_cast<uint32_t>(std::atoi(argv[3]));
    if (capture.size() < 100 || raw.size() != imageWidth * imageHeight * size) {
        std::printf("unreadable capture or frame\n");
        return 2;
    }
    const uint32_t headerSize = BigEndian32(capture, 0), depth = BigEndian32(capture, 12);
    const uint32_t width = BigEndian32(capture, 16), height = BigEndian32(capture, 20);
    const bool msbFirst = BigEndian32(capture, 28) == 1;
    const uint32_t bitsPerPixel = BigEndian32(capture, 44), bytesPerLine = BigEndian32(capture, 48);
    const uint32_t colours = BigEndian32(capture, 76);
    const size_t pixelsAt = headerSize + colours * 12;
    if (bitsPerPixel != size * 8 || capture.size() < pixelsAt + static_cast<size_t>(bytesPerLine) * height) {
        std::printf("capture is %u bits a pixel, frame %u\n", bitsPerPixel, size * 8);
        return 1;
    }
    ImageFit fit = FitImage(width, height);
    if (argc == 8)
        fit = { static_cast<uint32_t>(std::atoi(argv[4])), static_cast<uint32_t>(std::atoi(argv[5])),
            static_cast<uint32_t>(std::atoi(argv[6])), static_cast<uint32_t>(std::atoi(argv[7])) };

    const uint32_t mask = depth >= 32 ? 0xFFFFFFFFu : (1u << depth) - 1;
    long wrong = 0, litOutside = 0;
    uint32_t left = width, top = height, right = 0, bottom = 0; // around every pixel not as expected
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t value = Pixel(&capture[pixelsAt + y * bytesPerLine + x * size], size, msbFirst) & mask;
            const bool inside = x >= fit.x && x < fit.x + fit.width && y >= fit.y && y < fit.y + fit.height;
            // The frame pixel nearest below: k x k blocks when blown up whole.
            const uint32_t frameX = inside ? (x - fit.x) * imageWidth / fit.width : 0;
            const uint32_t frameY = inside ? (y - fit.y) * imageHeight / fit.height : 0;
            const uint32_t want = inside ? Pixel(&raw[(frameY * imageWidth + frameX) * size], size, false) & mask : 0;
            if (value == want)
                continue;
            left = std::min(left, x), top = std::min(top, y), right = std::max(right, x), bottom = std::max(bottom, y);
            if (!inside)
                ++litOutside;
            else if (wrong++ < 3)
                std::printf("at %u,%u: 0x%X, expected 0x%X\n", x, y, value, want);
        }
    std::printf("window %ux%u, image %ux%u at %u,%u: %ld pixels differ, %ld lit outside\n", width, height, fit.width,
        fit.height, fit.x, fit.y, wrong, litOutside);
    if (wrong + litOutside > 0)
        std::printf("not as expected within %u,%u to %u,%u\n", left, top, right, bottom);
    return wrong == 0 && litOutside == 0 ? 0 : 1;
}
