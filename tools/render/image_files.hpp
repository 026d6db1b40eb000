// The renderer's outputs. A file goes to a temporary file beside its target
// and takes the target's name only when everything was written, so a failed
// run leaves no partial file behind; standard output, a device or a FIFO is
// written directly.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include <gif_lib.h>

#include "engine/frame/buffer_frame_cycle.hpp"

class PendingFile {
public:
    ~PendingFile();
    bool Open(const std::string& target, std::string& error);
    bool Commit(std::string& error);
    void Discard();
    FILE* Stream() const { return stream_; }
    int Descriptor() const;
    bool IsOpen() const { return stream_ != nullptr; }

private:
    int OpenBesideTarget();

    std::string target_;
    std::string renamedTarget_; // a symbolic link's target, so that the link stays
    std::string temporary_; // empty when written directly
    FILE* stream_ = nullptr;
};

bool WritePng(FILE* stream, const FrameBuffer& buffer);
bool WriteRaw(FILE* stream, const FrameBuffer& buffer);
bool WritePicturePbm(FILE* stream);

// An animated GIF written frame by frame, each with its own colour map.
class GifWriter {
public:
    ~GifWriter();
    bool Open(int descriptor);
    bool AddFrame(const FrameBuffer& buffer, uint32_t delayMilliseconds);
    bool Close();

private:
    GifFileType* gif_ = nullptr;
};
