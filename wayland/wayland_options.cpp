#include "wayland/wayland_options.hpp"

#include "engine/frame/tick_schedule.hpp"

const char waylandUsage[] = "usage: aurilo-wayland [-window] [-scale N] [-fps] [-compositor-scaling]";

namespace {

constexpr uint64_t maxScaleFactor = 1000;

} // namespace

bool ParseWaylandOptions(const std::vector<std::string>& arguments, WaylandOptions& options, std::string& error)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& typed = arguments[i];
        // "-name" and "--name" are the same option.
        const std::string name = typed.rfind("--", 0) == 0 ? typed.substr(1) : typed;
        const bool takesValue = name == "-scale" || name == "-ticks";
        if (takesValue && i + 1 >= arguments.size()) {
            error = typed + " needs a value";
            return false;
        }
        const std::string value = takesValue ? arguments[++i] : "";
        uint64_t number = 0;
        if (name == "-window") {
            options.window = true;
        } else if (name == "-compositor-scaling") {
            options.compositorScaling = true;
        } else if (name == "-fps") {
            options.showFps = true;
        } else if (name == "-scale") {
            if (!ParseDecimal(value, maxScaleFactor, number) || number == 0) {
                error = "bad scale '" + value + "' (a whole number from 1)";
                return false;
            }
            options.maxScale = static_cast<uint32_t>(number);
        } else if (name == "-ticks") {
            if (!ParseTicks(value, typed, options.ticks, error))
                return false;
        } else {
            error = "unknown option '" + typed + "'";
            return false;
        }
    }
    return true;
}
