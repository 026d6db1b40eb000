// Command line of the Wayland client, in the hack's spellings.
#pragma once

#include <string>
#include <vector>

#include "unix/host_options.hpp"

struct WaylandOptions : FrameOptions {
    bool window = false; // one ordinary window instead of every output full screen
    bool compositorScaling = false; // a 640x480 buffer the compositor blows up
};

bool ParseWaylandOptions(const std::vector<std::string>& arguments, WaylandOptions& options, std::string& error);

extern const char waylandUsage[];
