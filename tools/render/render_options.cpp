#include "tools/render/render_options.hpp"

#include <cstdlib>

#include "engine/frame/buffer_frame_cycle.hpp"
#include "engine/frame/tick_schedule.hpp"

const char renderUsage[] = "usage: aurilo-render [--format 8|15|16|24|32] [--ticks T1,T2,... | --fps N --seconds S]"
                           " [-o FILE.png] [--raw FILE] [--gif FILE.gif] [--picture FILE.pbm]";

uint32_t RenderOptions::TickAt(uint64_t frame) const
{
    return fps ? TickOfFrame(frame + 1, fps) : ticks[frame];
}

namespace {

bool IsRenderOption(const std::string& name)
{
    for (const char* option : { "--format", "--ticks", "--fps", "--seconds", "-o", "--raw", "--gif", "--picture" })
        if (name == option)
            return true;
    return false;
}

} // namespace

bool ParseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options, std::string& error)
{
    uint64_t seconds = 0;
    bool haveTicks = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (!IsRenderOption(name)) {
            error = name.rfind("-", 0) == 0 ? "unknown option '" + name + "'" : "unexpected argument '" + name + "'";
            return false;
        }
        if (i + 1 >= arguments.size()) {
            error = "option " + name + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        uint64_t number;
        if (name == "--format") {
            if (!ParseDecimal(value, 64, number) || FindRenderFormat(static_cast<int>(number)) == nullptr) {
                error = "--format takes 8, 15, 16, 24 or 32, not '" + value + "'";
                return false;
            }
            options.format = static_cast<int>(number);
        } else if (name == "--ticks") {
            if (!ParseTicks(value, "--ticks", options.ticks, error))
                return false;
            haveTicks = true;
        } else if (name == "--fps" || name == "--seconds") {
            if (!ParseDecimal(value, 100000, number)) {
                error = name + " takes a whole number up to 100000, not '" + value + "'";
                return false;
            }
            (name == "--fps" ? options.fps : seconds) = number;
        } else if (name == "-o") {
            options.pngPath = value;
        } else if (name == "--raw") {
            options.rawPath = value;
        } else if (name == "--gif") {
            options.gifPath = value;
        } else {
            options.picturePath = value;
        }
    }
    if (haveTicks && (options.fps || seconds)) {
        error = "give either --ticks or --fps with --seconds, not both";
        return false;
    }
    if ((options.fps || seconds) && (options.fps == 0 || seconds == 0 || seconds * 1000 > largestTick)) {
        error = "--fps and --seconds must be positive, the whole run under 2^32 ms";
        return false;
    }
    options.frameCount = options.fps * seconds;
    if (options.pngPath.empty() && options.rawPath.empty() && options.gifPath.empty() && options.picturePath.empty()) {
        error = "nothing to write: give -o, --raw, --gif or --picture";
        return false;
    }
    return true;
}
