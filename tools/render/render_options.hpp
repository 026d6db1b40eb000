// Command line of aurilo-render.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RenderOptions {
    int format = 32;
    std::vector<uint32_t> ticks { 0 }; // milliseconds since set-up, one frame each
    std::string pngPath;
    std::string rawPath;
    std::string gifPath;
    std::string picturePath;
};

// Fills options from the arguments, or returns false with a one-line reason.
bool ParseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options, std::string& error);

extern const char renderUsage[];
