#include "tools/render/image_files.hpp"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unordered_map>
#include <sys/stat.h>
#include <unistd.h>

#include <png.h>

#include "engine/effect/scene.hpp"
#include "tools/render/frame_pixels.hpp"

PendingFile::~PendingFile()
{
    Discard();
}

// "-" is standard output, and a device or a FIFO is written as it is: neither
// is ever replaced. A regular file, or a new one, is written beside its
// resolved target and renamed over it, so that a symbolic link stays one.
bool PendingFile::Open(const std::string& target, std::string& error)
{
    target_ = target;
    struct stat status {};
    const bool exists = stat(target.c_str(), &status) == 0;
    int descriptor;
    if (target == "-")
        descriptor = dup(STDOUT_FILENO);
    else if (exists && !S_ISREG(status.st_mode))
        descriptor = open(target.c_str(), O_WRONLY | O_CLOEXEC);
    else
        descriptor = OpenBesideTarget();
    if (descriptor < 0 || (stream_ = fdopen(descriptor, "wb")) == nullptr) {
        error = "cannot write " + target + ": " + std::strerror(errno);
        if (descriptor >= 0)
            close(descriptor);
        Discard();
        return false;
    }
    return true;
}

namespace {

// Where a file's bytes go: through its symbolic links to the file they name,
// which may not be there yet.
std::string ResolvedTarget(const std::string& target)
{
    if (char* resolved = realpath(target.c_str(), nullptr)) {
        const std::string path = resolved;
        std::free(resolved);
        return path;
    }
    char link[4096];
    const ssize_t length = readlink(target.c_str(), link, sizeof link - 1);
    if (length <= 0)
        return target;
    link[length] = 0;
    const size_t slash = target.rfind('/');
    return link[0] == '/' || slash == std::string::npos ? link : target.substr(0, slash + 1) + link;
}

} // namespace

int PendingFile::OpenBesideTarget()
{
    const std::string renamed = ResolvedTarget(target_);
    temporary_ = renamed + ".XXXXXX";
    const int descriptor = mkstemp(temporary_.data());
    if (descriptor < 0) {
        temporary_.clear();
        return -1;
    }
    renamedTarget_ = renamed;
    // mkstemp makes the file private: give it the mode of the file it replaces, or of a new one.
    struct stat replaced {};
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, stat(renamed.c_str(), &replaced) == 0 ? replaced.st_mode & 07777 : 0666 & ~mask);
    return descriptor;
}

int PendingFile::Descriptor() const
{
    return fileno(stream_);
}

bool PendingFile::Commit(std::string& error)
{
    const bool flushed = std::fflush(stream_) == 0 && !std::ferror(stream_);
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    const bool direct = temporary_.empty();
    if (!flushed || !closed || (!direct && std::rename(temporary_.c_str(), renamedTarget_.c_str()) != 0)) {
        error = "cannot write " + target_ + ": " + std::strerror(errno);
        Discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void PendingFile::Discard()
{
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!temporary_.empty()) {
        unlink(temporary_.c_str());
        temporary_.clear();
    }
}

namespace {

constexpr uint32_t pixelCount = imageWidth * imageHeight;

void SplitChannels(const FrameBuffer& buffer, uint8_t* red, uint8_t* green, uint8_t* blue)
{
    for (uint32_t y = 0; y < imageHeight; ++y)
        for (uint32_t x = 0; x < imageWidth; ++x) {
            const Rgb colour = PixelColour(buffer, x, y);
            const uint32_t i = y * imageWidth + x;
            red[i] = colour.red, green[i] = colour.green, blue[i] = colour.blue;
        }
}

} // namespace

bool WritePng(FILE* stream, const FrameBuffer& buffer)
{
    static uint8_t rgb[pixelCount * 3];
    for (uint32_t y = 0; y < imageHeight; ++y)
        for (uint32_t x = 0; x < imageWidth; ++x) {
            const Rgb colour = PixelColour(buffer, x, y);
            std::memcpy(rgb + (y * imageWidth + x) * 3, &colour, 3);
        }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = imageWidth;
    image.height = imageHeight;
    image.format = PNG_FORMAT_RGB;
    const bool written = png_image_write_to_stdio(&image, stream, 0, rgb, 0, nullptr) != 0;
    png_image_free(&image);
    return written;
}

bool WriteRaw(FILE* stream, const FrameBuffer& buffer)
{
    for (uint32_t y = 0; y < imageHeight; ++y)
        if (std::fwrite(buffer.Row(y), 1, buffer.RowBytes(), stream) != buffer.RowBytes())
            return false;
    return true;
}

bool WritePicturePbm(FILE* stream)
{
    // P4 rows are whole bytes, most significant bit first, 1 for black: the
    // compiled-in rows exactly, without the trailing zero byte.
    const RotatingPicture& picture = rotatingPicture;
    const size_t rowBytes = static_cast<size_t>(picture.bytesPerRow) * picture.pictureHeight;
    return std::fprintf(stream, "P4\n%d %d\n", picture.pictureWidth, picture.pictureHeight) > 0
        && std::fwrite(picture.bits, 1, rowBytes, stream) == rowBytes;
}

GifWriter::~GifWriter()
{
    if (gif_ != nullptr)
        EGifCloseFile(gif_, nullptr);
}

bool GifWriter::Open(int descriptor)
{
    // giflib closes the descriptor it is given; hand it a copy.
    const int copy = dup(descriptor);
    int status = 0;
    gif_ = copy < 0 ? nullptr : EGifOpenFileHandle(copy, &status);
    if (gif_ == nullptr)
        return false;
    EGifSetGifVersion(gif_, true);
    if (EGifPutScreenDesc(gif_, imageWidth, imageHeight, 8, 0, nullptr) == GIF_ERROR)
        return false;
    // Loop forever.
    const uint8_t loop[] = { 1, 0, 0 };
    return EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) != GIF_ERROR
        && EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0") != GIF_ERROR
        && EGifPutExtensionBlock(gif_, sizeof loop, loop) != GIF_ERROR
        && EGifPutExtensionTrailer(gif_) != GIF_ERROR;
}

namespace {

// Exact colours when the frame has 256 or fewer, a median cut otherwise.
int MapFrameColours(const FrameBuffer& buffer, GifColorType* colours, uint8_t* indices)
{
    static uint8_t red[pixelCount], green[pixelCount], blue[pixelCount];
    SplitChannels(buffer, red, green, blue);
    std::unordered_map<uint32_t, uint8_t> found;
    for (uint32_t i = 0; i < pixelCount; ++i) {
        const uint32_t key = static_cast<uint32_t>(red[i]) << 16 | green[i] << 8 | blue[i];
        auto [place, added] = found.try_emplace(key, static_cast<uint8_t>(found.size()));
        if (added) {
            if (found.size() > 256)
                break;
            colours[place->second] = GifColorType { red[i], green[i], blue[i] };
        }
        indices[i] = place->second;
    }
    if (found.size() <= 256)
        return static_cast<int>(found.size());
    int size = 256;
    return GifQuantizeBuffer(imageWidth, imageHeight, &size, red, green, blue, indices, colours) == GIF_ERROR ? 0 : size;
}

} // namespace

bool GifWriter::AddFrame(const FrameBuffer& buffer, uint32_t delayMilliseconds)
{
    static uint8_t indices[pixelCount];
    GifColorType colours[256] {};
    const int count = MapFrameColours(buffer, colours, indices);
    if (count == 0)
        return false;
    ColorMapObject* map = GifMakeMapObject(256, colours);
    GraphicsControlBlock control {};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.DelayTime = static_cast<int>(delayMilliseconds / 10);
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    bool written = map != nullptr
        && EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) != GIF_ERROR
        && EGifPutImageDesc(gif_, 0, 0, imageWidth, imageHeight, false, map) != GIF_ERROR;
    for (uint32_t y = 0; written && y < imageHeight; ++y)
        written = EGifPutLine(gif_, indices + y * imageWidth, imageWidth) != GIF_ERROR;
    GifFreeMapObject(map);
    return written;
}

bool GifWriter::Close()
{
    const bool closed = EGifCloseFile(gif_, nullptr) == GIF_OK;
    gif_ = nullptr;
    return closed;
}
