// Checks a screen capture of the running saver (binary PPM): the 640x480
// image centred with black around it, and every pixel inside it black or a
// colour the pixel writer produces, in the display's format, from the scene's
// two colour tables.
//   check-capture 8|16|24|layout CAPTURE.ppm
//   check-capture frame 8|15|16|24|32 FRAME.raw   (640x480 pixel values, as drawn)
// "layout" checks the placement only: Wine shows an 8-bit DirectDraw palette
// on an 8-bit X screen through the 20 static system colours, so the colours
// there are not the uniform palette's.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/frame/image_placement.hpp"
#include "engine/effect/scene.hpp"
#include "engine/frame/buffer_frame_cycle.hpp"

namespace {

struct Capture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// The next number of a PPM header, past blanks and # comments.
bool ReadHeaderNumber(FILE* file, int& number)
{
    int c = std::fgetc(file);
    while (c == '#' || c == ' ' || c == '\n' || c == '\r' || c == '\t') {
        if (c == '#')
            while (c != '\n' && c != EOF)
                c = std::fgetc(file);
        c = std::fgetc(file);
    }
    return c != EOF && std::ungetc(c, file) != EOF && std::fscanf(file, "%d", &number) == 1;
}

bool ReadPpm(const char* path, Capture& capture)
{
    FILE* file = std::fopen(path, "rb");
    int maximum = 0;
    if (file == nullptr || std::fgetc(file) != 'P' || std::fgetc(file) != '6' || !ReadHeaderNumber(file, capture.width)
        || !ReadHeaderNumber(file, capture.height) || !ReadHeaderNumber(file, maximum) || maximum != 255
        || std::fgetc(file) == EOF) {
        return false;
    }
    capture.rgb.resize(static_cast<size_t>(capture.width) * capture.height * 3);
    const bool complete = std::fread(capture.rgb.data(), 1, capture.rgb.size(), file) == capture.rgb.size();
    std::fclose(file);
    return complete;
}

// What a display of this format shows for a pixel value, reduced back to the value.
uint32_t ValueOnScreen(int format, const uint8_t* rgb)
{
    switch (format) {
    case 8: // the uniform palette: eight levels of red and green, four of blue
        return static_cast<uint32_t>((rgb[0] * 7 + 127) / 255) << 5 | static_cast<uint32_t>((rgb[1] * 7 + 127) / 255) << 2
            | static_cast<uint32_t>((rgb[2] * 3 + 127) / 255);
    case 16:
        return static_cast<uint32_t>(rgb[0] >> 3) << 11 | static_cast<uint32_t>(rgb[1] >> 2) << 5 | (rgb[2] >> 3);
    default:
        return static_cast<uint32_t>(rgb[0]) << 16 | static_cast<uint32_t>(rgb[1]) << 8 | rgb[2];
    }
}

std::set<uint32_t> ProducibleValues(int format)
{
    auto buffer = std::make_unique<FrameBuffer>();
    StartRendering(*FindRenderFormat(format), *buffer);
    std::set<uint32_t> values { 0 };
    uint32_t pixel = 0;
    for (const ColourTable* table : { &waveField.colours, &rotatingPicture.colours })
        for (const Rgb& colour : table->entries) {
            displayDescriptor.BindPixels(reinterpret_cast<uint8_t*>(&pixel), 4);
            pixel = 0;
            displayDescriptor.PutPixel(0, 0, colour.red, colour.green, colour.blue);
            values.insert(pixel);
        }
    return values;
}

// A frame as the saver drew it into the off-screen surface.
int CheckFrame(int format, const char* path)
{
    const PixelFormat* renderFormat = FindRenderFormat(format);
    FILE* file = renderFormat != nullptr ? std::fopen(path, "rb") : nullptr;
    if (file == nullptr)
        return 2;
    const uint32_t bytesPerPixel = renderFormat->bitCount / 8;
    std::vector<uint8_t> bytes(imageWidth * imageHeight * bytesPerPixel);
    const bool complete = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    if (!complete)
        return 2;
    const std::set<uint32_t> producible = ProducibleValues(format);
    long lit = 0, foreign = 0;
    for (size_t at = 0; at < bytes.size(); at += bytesPerPixel) {
        uint32_t value = 0;
        for (uint32_t i = 0; i < bytesPerPixel; ++i)
            value |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
        lit += value != 0;
        foreign += producible.count(value) == 0;
    }
    std::printf("frame: %ld pixels lit, %ld of a value the format's pixel writer does not make\n", lit, foreign);
    return foreign == 0 && lit > 30000 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "frame")
        return CheckFrame(std::atoi(argv[2]), argv[3]);
    Capture capture;
    const bool layoutOnly = argc == 3 && std::string(argv[1]) == "layout";
    const int format = argc == 3 ? std::atoi(argv[1]) : 0;
    if ((format != 8 && format != 16 && format != 24 && !layoutOnly) || !ReadPpm(argv[2], capture)) {
        std::fprintf(stderr, "usage: check-capture 8|16|24|layout CAPTURE.ppm\n");
        return 2;
    }
    const std::set<uint32_t> producible = layoutOnly ? std::set<uint32_t> {} : ProducibleValues(format == 24 ? 32 : format);
    const ImageRectangle image = CentredImage(static_cast<uint32_t>(capture.width), static_cast<uint32_t>(capture.height));
    long litOutside = 0, foreign = 0, lit = 0;
    for (int y = 0; y < capture.height; ++y)
        for (int x = 0; x < capture.width; ++x) {
            const uint8_t* rgb = &capture.rgb[(static_cast<size_t>(y) * capture.width + x) * 3];
            const bool black = rgb[0] == 0 && rgb[1] == 0 && rgb[2] == 0;
            const bool inside = x >= image.left && x < image.right && y >= image.top && y < image.bottom;
            if (!inside) {
                litOutside += !black;
                continue;
            }
            lit += !black;
            if (!layoutOnly && producible.count(ValueOnScreen(format, rgb)) == 0) {
                if (foreign++ < 5)
                    std::printf("foreign colour %d,%d,%d at %d,%d\n", rgb[0], rgb[1], rgb[2], x, y);
            }
        }
    std::printf("image at %d,%d: %ld pixels lit, %ld of foreign colour, %ld lit outside\n", image.left, image.top, lit,
        foreign, litOutside);
    const long enough = layoutOnly ? 2000 : 30000;
    return litOutside == 0 && foreign == 0 && lit > enough ? 0 : 1;
}
