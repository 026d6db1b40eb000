// Compares a screen captured with xwd (the hack's) or grim -t ppm (the Wayland
// client's) against a frame that aurilo-render wrote (--raw) in the same
// format: the frame, placed and scaled as the front end shows it, pixel value
// for pixel value, and black (0) around it. The placement is the one given, or
// else the hack's own rule for the capture's size. A PPM is compared with a
// 32-bit frame, colour for colour.
//   compare-capture CAPTURE.xwd|CAPTURE.ppm FRAME.raw BYTES-PER-PIXEL [X Y WIDTH HEIGHT]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <vector>

#include "engine/frame/frame_scaling.hpp"

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

struct Capture {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bytesPerPixel = 0;
    uint32_t bytesPerLine = 0;
    uint32_t mask = 0;
    bool mostSignificantFirst = false; // red first, as in a PPM
    const uint8_t* pixels = nullptr;

    uint32_t At(uint32_t x, uint32_t y) const
    {
        return Pixel(pixels + size_t { y } * bytesPerLine + size_t { x } * bytesPerPixel, bytesPerPixel,
                   mostSignificantFirst)
            & mask;
    }
};

bool ReadXwd(const Bytes& bytes, Capture& capture)
{
    if (bytes.size() < 100)
        return false;
    const uint32_t headerSize = BigEndian32(bytes, 0), depth = BigEndian32(bytes, 12);
    capture.width = BigEndian32(bytes, 16);
    capture.height = BigEndian32(bytes, 20);
    capture.mostSignificantFirst = BigEndian32(bytes, 28) == 1;
    capture.bytesPerPixel = BigEndian32(bytes, 44) / 8;
    capture.bytesPerLine = BigEndian32(bytes, 48);
    capture.mask = depth >= 32 ? 0xFFFFFFFFu : (1u << depth) - 1;
    const size_t pixelsAt = headerSize + BigEndian32(bytes, 76) * size_t { 12 };
    capture.pixels = bytes.data() + pixelsAt;
    return bytes.size() >= pixelsAt + size_t { capture.bytesPerLine } * capture.height;
}

// Binary PPM with a maximum of 255: three bytes a pixel, red first.
bool ReadPpm(const Bytes& bytes, Capture& capture)
{
    std::istringstream header(std::string(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 64)));
    std::string magic;
    uint32_t maximum = 0;
    header >> magic >> capture.width >> capture.height >> maximum;
    if (magic != "P6" || maximum != 255)
        return false;
    const size_t pixelsAt = static_cast<size_t>(header.tellg()) + 1;
    capture.bytesPerPixel = 3;
    capture.bytesPerLine = capture.width * 3;
    capture.mask = 0xFFFFFF;
    capture.mostSignificantFirst = true;
    capture.pixels = bytes.data() + pixelsAt;
    return bytes.size() >= pixelsAt + size_t { capture.bytesPerLine } * capture.height;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 8)
        return 2;
    const Bytes bytes = ReadFile(argv[1]);
    const Bytes raw = ReadFile(argv[2]);
    const auto size = static_cast<uint32_t>(std::atoi(argv[3]));
    Capture capture;
    const bool ppm = bytes.size() > 2 && bytes[0] == 'P' && bytes[1] == '6';
    if (!(ppm ? ReadPpm(bytes, capture) : ReadXwd(bytes, capture)) || raw.size() != imageWidth * imageHeight * size) {
        std::printf("unreadable capture or frame\n");
        return 2;
    }
    if (ppm ? size != 4 : capture.bytesPerPixel != size) {
        std::printf("capture is %u bits a pixel, frame %u\n", capture.bytesPerPixel * 8, size * 8);
        return 1;
    }
    const uint32_t width = capture.width, height = capture.height, mask = capture.mask;
    auto frame = std::make_unique<FrameBuffer>();
    std::copy(raw.begin(), raw.end(), frame->bytes);
    frame->bytesPerPixel = size;
    frame->pitch = static_cast<int32_t>(imageWidth * size);
    ImageFit fit = FitImage(width, height);
    if (argc == 8)
        fit = { static_cast<uint32_t>(std::atoi(argv[4])), static_cast<uint32_t>(std::atoi(argv[5])),
            static_cast<uint32_t>(std::atoi(argv[6])), static_cast<uint32_t>(std::atoi(argv[7])) };
    Bytes expected(static_cast<size_t>(fit.width) * fit.height * size);
    ScaleFrame(*frame, expected.data(), fit.width * size, fit.width, fit.height);

    long wrong = 0, litOutside = 0;
    uint32_t left = width, top = height, right = 0, bottom = 0; // around every pixel not as expected
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t value = capture.At(x, y);
            const bool inside = x >= fit.x && x < fit.x + fit.width && y >= fit.y && y < fit.y + fit.height;
            const uint32_t want = inside
                ? Pixel(&expected[((y - fit.y) * fit.width + (x - fit.x)) * size], size, false) & mask
                : 0;
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
