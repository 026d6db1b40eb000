#include "wayland/wayland_options.hpp"

const char waylandUsage[] = "usage: aurilo-wayland [-window] [-scale N] [-fps] [-compositor-scaling]";

bool ParseWaylandOptions(const std::vector<std::string>& arguments, WaylandOptions& options, std::string& error)
{
    TypedOption option;
    for (size_t next = 0; next < arguments.size();) {
        if (!ReadOption(arguments, next, {}, option, error))
            return false;
        if (TakeFrameOption(option, options, error))
            continue;
        if (!error.empty())
            return false;
        if (option.name == "-window") {
            options.window = true;
        } else if (option.name == "-compositor-scaling") {
            options.compositorScaling = true;
        } else {
            error = "unknown option '" + option.typed + "'";
            return false;
        }
    }
    return true;
}
