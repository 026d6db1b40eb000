// Command line of aurilo-render.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RenderOptions {
    int format = 32;
    // Milliseconds since set-up, one frame each: the listed ticks, or with a
    // rate frames 1..frameCount at TickOfFrame, worked out as they are drawn.
    std::vector<uint32_t> ticks { 0 };
    uint64_t fps = 0;
    uint64_t frameCount = 0;
    std::string pngPath;
    std::string rawPath;
    std::string gifPath;
    std::string picturePath;

    uint64_t FrameCount() const { return fps ? frameCount : ticks.size(); }
    uint32_t TickAt(uint64_t frame) const;
};

// Fills options from the arguments, or returns false with a one-line reason.
bool ParseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options, std::string& error);

extern const char renderUsage[];
