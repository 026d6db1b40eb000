// aurilo-render: the effect without Windows. Renders a tick schedule into a
// 640 x 480 buffer in one of the saver's pixel formats and writes the frames.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/frame/buffer_frame_cycle.hpp"
#include "tools/render/image_files.hpp"
#include "tools/render/render_options.hpp"

namespace {

constexpr int exitFailure = 1; // an output that cannot be written
constexpr int exitUsage = 2;

struct Outputs {
    PendingFile png, raw, gif, picture;
    GifWriter gifWriter;
};

bool OpenOutputs(const RenderOptions& options, Outputs& outputs, std::string& error)
{
    const std::pair<const std::string*, PendingFile*> files[] = {
        { &options.pngPath, &outputs.png },
        { &options.rawPath, &outputs.raw },
        { &options.gifPath, &outputs.gif },
        { &options.picturePath, &outputs.picture },
    };
    for (const auto& [path, file] : files)
        if (!path->empty() && !file->Open(*path, error))
            return false;
    if (outputs.gif.IsOpen() && !outputs.gifWriter.Open(outputs.gif.Descriptor())) {
        error = "cannot start the GIF " + options.gifPath;
        return false;
    }
    return true;
}

uint32_t FrameDelay(const RenderOptions& options, uint64_t frame)
{
    if (frame + 1 < options.FrameCount())
        return options.TickAt(frame + 1) - options.TickAt(frame);
    return frame > 0 ? options.TickAt(frame) - options.TickAt(frame - 1) : 100;
}

// errno is cleared before the writes: libpng and giflib fail without setting it.
bool CannotWrite(const std::string& path, std::string& error)
{
    error = "cannot write " + path + (errno != 0 ? std::string(": ") + std::strerror(errno) : "");
    return false;
}

bool RenderAll(const RenderOptions& options, Outputs& outputs, FrameBuffer& buffer, std::string& error)
{
    const uint64_t frameCount = options.FrameCount();
    const bool showProgress = isatty(STDERR_FILENO) && frameCount > 1;
    errno = 0;
    for (uint64_t frame = 0; frame < frameCount; ++frame) {
        RenderFrame(options.TickAt(frame), buffer);
        if (outputs.gif.IsOpen() && !outputs.gifWriter.AddFrame(buffer, FrameDelay(options, frame)))
            return CannotWrite(options.gifPath, error);
        if (showProgress)
            std::fprintf(stderr, "\rframe %llu of %llu", static_cast<unsigned long long>(frame + 1),
                static_cast<unsigned long long>(frameCount));
    }
    if (showProgress)
        std::fputc('\n', stderr);
    return true;
}

bool WriteOutputs(const RenderOptions& options, Outputs& outputs, const FrameBuffer& buffer, std::string& error)
{
    errno = 0;
    if (outputs.gif.IsOpen() && !outputs.gifWriter.Close())
        return CannotWrite(options.gifPath, error);
    if (outputs.png.IsOpen() && !WritePng(outputs.png.Stream(), buffer))
        return CannotWrite(options.pngPath, error);
    if (outputs.raw.IsOpen() && !WriteRaw(outputs.raw.Stream(), buffer))
        return CannotWrite(options.rawPath, error);
    if (outputs.picture.IsOpen() && !WritePicturePbm(outputs.picture.Stream()))
        return CannotWrite(options.picturePath, error);
    for (PendingFile* file : { &outputs.png, &outputs.raw, &outputs.gif, &outputs.picture })
        if (file->IsOpen() && !file->Commit(error))
            return false;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()
        || std::find(arguments.begin(), arguments.end(), "-h") != arguments.end()) {
        std::printf("%s\n", renderUsage);
        return 0;
    }
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(arguments, options, error)) {
        std::fprintf(stderr, "aurilo-render: %s (see --help)\n", error.c_str());
        return exitUsage;
    }
    static FrameBuffer buffer;
    static Outputs outputs;
    StartRendering(*FindRenderFormat(options.format), buffer);
    if (!OpenOutputs(options, outputs, error) || !RenderAll(options, outputs, buffer, error)
        || !WriteOutputs(options, outputs, buffer, error)) {
        std::fprintf(stderr, "aurilo-render: %s\n", error.c_str());
        for (PendingFile* file : { &outputs.png, &outputs.raw, &outputs.gif, &outputs.picture })
            file->Discard();
        return exitFailure;
    }
    return 0;
}
