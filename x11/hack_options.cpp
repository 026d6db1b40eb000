#include "x11/hack_options.hpp"

#include <cerrno>
#include <cstdlib>

#include "engine/frame/tick_schedule.hpp"

const char hackUsage[] = "usage: aurilo [-window | -root | -window-id ID] [-delay MICROSECONDS] [-scale N] [-fps]"
                         " [-display NAME] [-ticks T1,T2,...]";

const char hackHelp[] = "  -window              in a window of its own (the default)\n"
                        "  -root                on the root window\n"
                        "  -window-id ID        into that window, decimal or 0x hexadecimal ($XSCREENSAVER_WINDOW)\n"
                        "  -delay MICROSECONDS  from one frame's start to the next's (16000; at most 10000000)\n"
                        "  -scale N             blow the image up by at most N\n"
                        "  -fps                 show the frame rate\n"
                        "  -display NAME        the X display instead of $DISPLAY\n"
                        "  -ticks T1,T2,...     for tests: these milliseconds' frames, in order, then wait\n"
                        "Every option may be written with two dashes. See aurilo(6).";

namespace {

constexpr uint64_t maxDelayMicroseconds = 10000000;

} // namespace

bool ParseWindowId(const std::string& text, unsigned long& id)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (text.empty() || text.find_first_not_of(hex ? "0123456789abcdefABCDEFxX" : "0123456789") != std::string::npos)
        return false;
    errno = 0;
    char* end = nullptr;
    id = std::strtoul(text.c_str(), &end, hex ? 16 : 10);
    return errno == 0 && *end == '\0' && id != 0 && id <= 0xFFFFFFFFul;
}

bool ParseHackOptions(const std::vector<std::string>& arguments, const char* xscreensaverWindow, HackOptions& options,
    std::string& error)
{
    bool explicitWindowId = false;
    TypedOption option;
    for (size_t next = 0; next < arguments.size();) {
        if (!ReadOption(arguments, next, { "-window-id", "-delay", "-display" }, option, error))
            return false;
        const std::string& name = option.name;
        uint64_t number = 0;
        if (TakeFrameOption(option, options, error))
            continue;
        if (!error.empty())
            return false;
        if (name == "-root") {
            options.target = HackTarget::Root;
        } else if (name == "-window") {
            options.target = HackTarget::OwnWindow;
        } else if (name == "-window-id") {
            if (!ParseWindowId(option.value, options.windowId)) {
                error = "bad window id '" + option.value + "'";
                return false;
            }
            options.target = HackTarget::WindowId;
            explicitWindowId = true;
        } else if (name == "-delay") {
            if (!ParseDecimal(option.value, maxDelayMicroseconds, number)) {
                error = "bad delay '" + option.value + "' (microseconds, at most 10000000)";
                return false;
            }
            options.delayMicroseconds = static_cast<uint32_t>(number);
        } else if (name == "-display") {
            options.display = option.value;
        } else {
            error = "unknown option '" + option.typed + "'";
            return false;
        }
    }
    if (!explicitWindowId && xscreensaverWindow != nullptr && *xscreensaverWindow != '\0') {
        if (!ParseWindowId(xscreensaverWindow, options.windowId)) {
            error = std::string("bad $XSCREENSAVER_WINDOW '") + xscreensaverWindow + "'";
            return false;
        }
        options.target = HackTarget::WindowId;
    }
    return true;
}
