#include "tools/resources/resource_images.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include <gif_lib.h>

#include "engine/effect/scene.hpp"
#include "engine/frame/buffer_frame_cycle.hpp"
#include "tools/render/frame_pixels.hpp"

namespace {

constexpr int previewWidth = 160;
constexpr int previewHeight = 120;
constexpr uint32_t previewTick = 9000; // the flower up and right of the middle, turned a little
constexpr int bitmapInfoSize = 40;
constexpr int fileHeaderSize = 14;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
    std::vector<uint8_t> opaque; // 1 where something is drawn
};

struct IndexedImage {
    std::vector<uint8_t> indices;
    std::vector<Rgb> palette;
};

void Put16(FileBytes& bytes, uint32_t value)
{
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(FileBytes& bytes, uint32_t value)
{
    Put16(bytes, value & 0xFFFF);
    Put16(bytes, value >> 16);
}

int RowBytes(int width, int bitCount)
{
    return (width * bitCount + 31) / 32 * 4;
}

// BITMAPINFOHEADER, then the colour table as RGBQUADs.
void PutBitmapInfo(FileBytes& bytes, int width, int height, int bitCount, uint32_t imageSize,
    const std::vector<Rgb>& palette, size_t tableSize)
{
    Put32(bytes, bitmapInfoSize);
    Put32(bytes, static_cast<uint32_t>(width));
    Put32(bytes, static_cast<uint32_t>(height));
    Put16(bytes, 1);
    Put16(bytes, static_cast<uint32_t>(bitCount));
    Put32(bytes, 0); // BI_RGB
    Put32(bytes, imageSize);
    Put32(bytes, 0);
    Put32(bytes, 0);
    Put32(bytes, 0);
    Put32(bytes, 0);
    for (size_t i = 0; i < tableSize; ++i) {
        const Rgb colour = i < palette.size() ? palette[i] : Rgb { 0, 0, 0 };
        bytes.insert(bytes.end(), { colour.blue, colour.green, colour.red, 0 });
    }
}

// Rows bottom-up, padded to whole 32-bit words.
void PutPixelRows(FileBytes& bytes, const std::vector<uint8_t>& indices, int width, int height, int bitCount)
{
    for (int y = height - 1; y >= 0; --y) {
        FileBytes row(static_cast<size_t>(RowBytes(width, bitCount)), 0);
        for (int x = 0; x < width; ++x) {
            const int bit = x * bitCount;
            const int shift = 8 - bitCount - bit % 8;
            row[static_cast<size_t>(bit / 8)] |= static_cast<uint8_t>(indices[static_cast<size_t>(y * width + x)] << shift);
        }
        bytes.insert(bytes.end(), row.begin(), row.end());
    }
}

// Median cut to at most maxColours, deterministic for the same pixels.
IndexedImage Quantize(const Image& image, int maxColours)
{
    const size_t count = image.pixels.size();
    std::vector<uint8_t> red(count), green(count), blue(count);
    for (size_t i = 0; i < count; ++i)
        red[i] = image.pixels[i].red, green[i] = image.pixels[i].green, blue[i] = image.pixels[i].blue;
    IndexedImage result { std::vector<uint8_t>(count), {} };
    std::vector<GifColorType> colours(static_cast<size_t>(maxColours));
    int size = maxColours;
    GifQuantizeBuffer(static_cast<unsigned>(image.width), static_cast<unsigned>(image.height), &size, red.data(),
        green.data(), blue.data(), result.indices.data(), colours.data());
    for (int i = 0; i < size; ++i)
        result.palette.push_back(Rgb { colours[static_cast<size_t>(i)].Red, colours[static_cast<size_t>(i)].Green,
            colours[static_cast<size_t>(i)].Blue });
    return result;
}

// The standard 16 colours of a 4-bit Windows display.
constexpr std::array<Rgb, 16> windowsColours { { { 0, 0, 0 }, { 128, 0, 0 }, { 0, 128, 0 }, { 128, 128, 0 },
    { 0, 0, 128 }, { 128, 0, 128 }, { 0, 128, 128 }, { 192, 192, 192 }, { 128, 128, 128 }, { 255, 0, 0 },
    { 0, 255, 0 }, { 255, 255, 0 }, { 0, 0, 255 }, { 255, 0, 255 }, { 0, 255, 255 }, { 255, 255, 255 } } };

int NearestWindowsColour(int red, int green, int blue)
{
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < 16; ++i) {
        const Rgb& c = windowsColours[static_cast<size_t>(i)];
        const int distance = (c.red - red) * (c.red - red) + (c.green - green) * (c.green - green)
            + (c.blue - blue) * (c.blue - blue);
        if (distance < bestDistance)
            best = i, bestDistance = distance;
    }
    return best;
}

// Error diffusion over the 16 colours, so that pinks come out as pink.
IndexedImage DitherToWindowsColours(const Image& image)
{
    IndexedImage result { std::vector<uint8_t>(image.pixels.size()), std::vector<Rgb>(windowsColours.begin(), windowsColours.end()) };
    std::vector<std::array<int, 3>> wanted;
    for (const Rgb& pixel : image.pixels)
        wanted.push_back({ pixel.red, pixel.green, pixel.blue });
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const size_t i = static_cast<size_t>(y * image.width + x);
            const auto clamp = [](int v) { return std::clamp(v, 0, 255); };
            const int chosen = NearestWindowsColour(clamp(wanted[i][0]), clamp(wanted[i][1]), clamp(wanted[i][2]));
            result.indices[i] = static_cast<uint8_t>(chosen);
            const Rgb& got = windowsColours[static_cast<size_t>(chosen)];
            const int error[3] = { wanted[i][0] - got.red, wanted[i][1] - got.green, wanted[i][2] - got.blue };
            const auto spread = [&](int dx, int dy, int weight) {
                const int nx = x + dx, ny = y + dy;
                if (nx < 0 || nx >= image.width || ny >= image.height)
                    return;
                auto& target = wanted[static_cast<size_t>(ny * image.width + nx)];
                for (int c = 0; c < 3; ++c)
                    target[static_cast<size_t>(c)] += error[c] * weight / 16;
            };
            spread(1, 0, 7), spread(-1, 1, 3), spread(0, 1, 5), spread(1, 1, 1);
        }
    return result;
}

// Box filter of a width x height image down by a whole factor on each axis.
Image ShrinkFrame(const FrameBuffer& buffer, int factor)
{
    Image image { previewWidth, previewHeight, {}, {} };
    for (int y = 0; y < previewHeight; ++y)
        for (int x = 0; x < previewWidth; ++x) {
            int red = 0, green = 0, blue = 0;
            for (int dy = 0; dy < factor; ++dy)
                for (int dx = 0; dx < factor; ++dx) {
                    const Rgb c = PixelColour(buffer, static_cast<uint32_t>(x * factor + dx), static_cast<uint32_t>(y * factor + dy));
                    red += c.red, green += c.green, blue += c.blue;
                }
            const int area = factor * factor;
            image.pixels.push_back(Rgb { static_cast<uint8_t>(red / area), static_cast<uint8_t>(green / area),
                static_cast<uint8_t>(blue / area) });
        }
    return image;
}

// The flower unturned, coloured as the scene colours it, on a transparent ground.
Image FlowerImage()
{
    auto buffer = std::make_unique<FrameBuffer>();
    StartRendering(*FindRenderFormat(32), *buffer);
    Image flower { rotatingPicture.pictureWidth, rotatingPicture.pictureHeight, {}, {} };
    for (int row = 0; row < flower.height; ++row)
        for (int column = 0; column < flower.width; ++column) {
            const uint8_t byte = rotatingPicture.bits[row * rotatingPicture.bytesPerRow + column / 8];
            const bool set = (byte & (0x80 >> (column % 8))) != 0;
            const uint8_t index = rotatingPicture.ColourIndexAt(column - rotatingPicture.pivotX, row - rotatingPicture.pivotY);
            flower.pixels.push_back(set ? rotatingPicture.colours[index] : Rgb { 0, 0, 0 });
            flower.opaque.push_back(set ? 1 : 0);
        }
    return flower;
}

// Area sampling of the flower into a size x size square, its aspect kept.
Image IconImage(const Image& flower, int size)
{
    const double scale = static_cast<double>(flower.width) / size;
    const double top = (size - flower.height / scale) / 2.0;
    Image icon { size, size, {}, {} };
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int set = 0, all = 0, red = 0, green = 0, blue = 0;
            for (int sy = static_cast<int>((y - top) * scale); sy < static_cast<int>((y + 1 - top) * scale); ++sy)
                for (int sx = static_cast<int>(x * scale); sx < static_cast<int>((x + 1) * scale); ++sx) {
                    if (sy < 0 || sy >= flower.height || sx >= flower.width)
                        continue;
                    const size_t i = static_cast<size_t>(sy * flower.width + sx);
                    ++all;
                    if (!flower.opaque[i])
                        continue;
                    ++set;
                    red += flower.pixels[i].red, green += flower.pixels[i].green, blue += flower.pixels[i].blue;
                }
            const bool opaque = all > 0 && set * 4 >= all;
            icon.opaque.push_back(opaque ? 1 : 0);
            icon.pixels.push_back(opaque ? Rgb { static_cast<uint8_t>(red / set), static_cast<uint8_t>(green / set),
                                               static_cast<uint8_t>(blue / set) }
                                         : Rgb { 0, 0, 0 });
        }
    return icon;
}

// One icon image: header with doubled height, colour table, colour rows, mask rows.
FileBytes IconImageBytes(const Image& icon, int bitCount)
{
    IndexedImage indexed = bitCount == 4 ? DitherToWindowsColours(icon) : Quantize(icon, 256);
    for (size_t i = 0; i < indexed.indices.size(); ++i)
        if (!icon.opaque[i])
            indexed.indices[i] = 0; // black under a transparent mask bit
    std::vector<uint8_t> transparent;
    for (uint8_t opaque : icon.opaque)
        transparent.push_back(opaque ? 0 : 1);
    const uint32_t imageSize = static_cast<uint32_t>((RowBytes(icon.width, bitCount) + RowBytes(icon.width, 1)) * icon.height);
    FileBytes bytes;
    PutBitmapInfo(bytes, icon.width, icon.height * 2, bitCount, imageSize, indexed.palette, size_t { 1 } << bitCount);
    PutPixelRows(bytes, indexed.indices, icon.width, icon.height, bitCount);
    PutPixelRows(bytes, transparent, icon.width, icon.height, 1);
    return bytes;
}

} // namespace

FileBytes MakePreviewBitmap()
{
    auto buffer = std::make_unique<FrameBuffer>();
    StartRendering(*FindRenderFormat(32), *buffer);
    RenderFrame(previewTick, *buffer);
    const IndexedImage still = Quantize(ShrinkFrame(*buffer, static_cast<int>(imageWidth) / previewWidth), 256);
    const uint32_t imageSize = static_cast<uint32_t>(RowBytes(previewWidth, 8) * previewHeight);
    const uint32_t offset = fileHeaderSize + bitmapInfoSize + 256 * 4;
    FileBytes bytes { 'B', 'M' };
    Put32(bytes, offset + imageSize);
    Put32(bytes, 0);
    Put32(bytes, offset);
    PutBitmapInfo(bytes, previewWidth, previewHeight, 8, imageSize, still.palette, 256);
    PutPixelRows(bytes, still.indices, previewWidth, previewHeight, 8);
    return bytes;
}

FileBytes MakeSaverIcon()
{
    const Image flower = FlowerImage();
    const struct {
        int size;
        int bitCount;
    } formats[] = { { 32, 4 }, { 32, 8 }, { 16, 4 } };
    std::vector<FileBytes> images;
    for (const auto& format : formats)
        images.push_back(IconImageBytes(IconImage(flower, format.size), format.bitCount));

    FileBytes bytes;
    Put16(bytes, 0);
    Put16(bytes, 1); // icon
    Put16(bytes, static_cast<uint32_t>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        bytes.push_back(static_cast<uint8_t>(formats[i].size));
        bytes.push_back(static_cast<uint8_t>(formats[i].size));
        bytes.push_back(formats[i].bitCount == 4 ? 16 : 0);
        bytes.push_back(0);
        Put16(bytes, 1);
        Put16(bytes, static_cast<uint32_t>(formats[i].bitCount));
        Put32(bytes, static_cast<uint32_t>(images[i].size()));
        Put32(bytes, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const FileBytes& image : images)
        bytes.insert(bytes.end(), image.begin(), image.end());
    return bytes;
}
