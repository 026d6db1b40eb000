// Command line of the Wayland client, in the hack's spellings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct WaylandOptions {
    bool window = false; // one ordinary window instead of every output full screen
    bool compositorScaling = false; // a 640x480 buffer the compositor blows up
    bool showFps = false;
    uint32_t maxScale = 0; // -scale: the largest whole factor the image is blown up by; 0, none
    std::vector<uint32_t> ticks; // test mode: these frames, then the last one stays
};

bool ParseWaylandOptions(const std::vector<std::string>& arguments, WaylandOptions& options, std::string& error);

extern const char waylandUsage[];
