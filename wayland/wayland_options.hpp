// Command line of the Wayland client, in the hack's spellings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "unix/host_options.hpp"

struct WaylandOptions : FrameOptions {
    bool window = false; // one ordinary window instead of every output full screen
    bool compositorScaling = false; // a 640x480 buffer the compositor blows up
    bool background = false; // a live wallpaper under every window
    bool lock = false; // locks the session; only the password ends it
    bool daemonize = false; // -lock: the first process ends once the session is locked
    uint32_t idleSeconds = 0; // -idle: waits for the session to be idle this long, and again after input; 0, shows at once
};

bool ParseWaylandOptions(const std::vector<std::string>& arguments, WaylandOptions& options, std::string& error);

extern const char waylandUsage[];
extern const char waylandHelp[]; // a line for each option
