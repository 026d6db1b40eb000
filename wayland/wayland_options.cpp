#include "wayland/wayland_options.hpp"

#include "engine/frame/tick_schedule.hpp"

namespace {

constexpr uint64_t maxIdleSeconds = 86400;

// -idle runs for the whole session on every output: not in a window, and not
// for tests. The lock covers every output; -daemonize returns once it holds.
bool CombinationAccepted(const WaylandOptions& options, std::string& error)
{
    if (options.idleSeconds != 0 && options.window)
        error = "-idle does not combine with -window";
    else if (options.idleSeconds != 0 && !options.ticks.empty())
        error = "-idle does not combine with -ticks";
    else if (options.lock && options.window)
        error = "-lock does not combine with -window";
    else if (options.background && (options.window || options.lock || options.idleSeconds != 0))
        error = "-background does not combine with -window, -lock or -idle";
    else if (options.daemonize && !options.lock)
        error = "-daemonize needs -lock";
    else if (options.daemonize && options.idleSeconds != 0)
        error = "-daemonize does not combine with -idle";
    return error.empty();
}

} // namespace

const char waylandUsage[]
    = "usage: aurilo-wayland [-window | -background | -idle SECONDS [-lock] | -lock [-daemonize]] [-scale N] [-fps]"
      " [-compositor-scaling] [-ticks T1,T2,...]";

const char waylandHelp[]
    = "  -window              in an ordinary window\n"
      "  -background          as the wallpaper, under every window\n"
      "  -idle SECONDS        wait for the session to be idle that long (1 to 86400), show, and wait again\n"
      "  -lock                lock the session until PAM accepts the password (with -idle: once idle)\n"
      "  -daemonize           with -lock: return once the session is locked\n"
      "  -scale N             blow the image up by at most N\n"
      "  -fps                 show the frame rate\n"
      "  -compositor-scaling  let the compositor blow the image up\n"
      "  -ticks T1,T2,...     for tests: these milliseconds' frames, in order, then wait\n"
      "Every option may be written with two dashes. See aurilo-wayland(6).";

bool ParseWaylandOptions(const std::vector<std::string>& arguments, WaylandOptions& options, std::string& error)
{
    TypedOption option;
    for (size_t next = 0; next < arguments.size();) {
        if (!ReadOption(arguments, next, { "-idle" }, option, error))
            return false;
        if (TakeFrameOption(option, options, error))
            continue;
        if (!error.empty())
            return false;
        uint64_t number = 0;
        if (option.name == "-window") {
            options.window = true;
        } else if (option.name == "-background") {
            options.background = true;
        } else if (option.name == "-lock") {
            options.lock = true;
        } else if (option.name == "-daemonize") {
            options.daemonize = true;
        } else if (option.name == "-compositor-scaling") {
            options.compositorScaling = true;
        } else if (option.name == "-idle") {
            if (!ParseDecimal(option.value, maxIdleSeconds, number) || number == 0) {
                error = "bad idle time '" + option.value + "' (whole seconds from 1 to 86400)";
                return false;
            }
            options.idleSeconds = static_cast<uint32_t>(number);
        } else {
            error = "unknown option '" + option.typed + "'";
            return false;
        }
    }
    return CombinationAccepted(options, error);
}
