#include "x11/hack_options.hpp"

#include <cerrno>
#include <cstdlib>

#include "engine/frame/tick_schedule.hpp"

const char hackUsage[] = "usage: aurilo [-window | -root | -window-id ID] [-delay MICROSECONDS] [-scale N] [-fps] [-display NAME]";

namespace {

constexpr uint64_t maxDelayMicroseconds = 10000000;
constexpr uint64_t maxScaleFactor = 1000;

// "-name" and "--name" are the same option.
std::string OptionName(const std::string& argument)
{
    return argument.rfind("--", 0) == 0 ? argument.substr(1) : argument;
}

bool NeedsValue(const std::string& name)
{
    return name == "-window-id" || name == "-delay" || name == "-scale" || name == "-display" || name == "-ticks";
}

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
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& typed = arguments[i];
        const std::string name = OptionName(typed);
        if (NeedsValue(name) && i + 1 >= arguments.size()) {
            error = typed + " needs a value";
            return false;
        }
        const std::string value = NeedsValue(name) ? arguments[++i] : "";
        uint64_t number = 0;
        if (name == "-root") {
            options.target = HackTarget::Root;
        } else if (name == "-window") {
            options.target = HackTarget::OwnWindow;
        } else if (name == "-window-id") {
            if (!ParseWindowId(value, options.windowId)) {
                error = "bad window id '" + value + "'";
                return false;
            }
            options.target = HackTarget::WindowId;
            explicitWindowId = true;
        } else if (name == "-fps") {
            options.showFps = true;
        } else if (name == "-delay") {
            if (!ParseDecimal(value, maxDelayMicroseconds, number)) {
                error = "bad delay '" + value + "' (microseconds, at most 10000000)";
                return false;
            }
            options.delayMicroseconds = static_cast<uint32_t>(number);
        } else if (name == "-scale") {
            if (!ParseDecimal(value, maxScaleFactor, number) || number == 0) {
                error = "bad scale '" + value + "' (a whole number from 1)";
                return false;
            }
            options.maxScale = static_cast<uint32_t>(number);
        } else if (name == "-display") {
            options.display = value;
        } else if (name == "-ticks") {
            if (!ParseTicks(value, typed, options.ticks, error))
                return false;
        } else {
            error = "unknown option '" + typed + "'";
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
