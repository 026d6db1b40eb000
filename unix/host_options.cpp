#include "unix/host_options.hpp"

#include <algorithm>

#include "engine/frame/tick_schedule.hpp"

namespace {

constexpr uint64_t maxScaleFactor = 1000;

} // namespace

bool ReadOption(const std::vector<std::string>& arguments, size_t& next, const std::vector<std::string>& valueNames,
    TypedOption& option, std::string& error)
{
    option.typed = arguments[next++];
    option.name = option.typed.rfind("--", 0) == 0 ? option.typed.substr(1) : option.typed;
    option.value.clear();
    const bool takesValue = option.name == "-scale" || option.name == "-ticks"
        || std::find(valueNames.begin(), valueNames.end(), option.name) != valueNames.end();
    if (!takesValue)
        return true;
    if (next >= arguments.size()) {
        error = option.typed + " needs a value";
        return false;
    }
    option.value = arguments[next++];
    return true;
}

bool AsksForHelp(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments)
        if (argument == "-h" || argument == "-help" || argument == "--help")
            return true;
    return false;
}

bool TakeFrameOption(const TypedOption& option, FrameOptions& options, std::string& error)
{
    error.clear();
    uint64_t number = 0;
    if (option.name == "-fps") {
        options.showFps = true;
    } else if (option.name == "-scale") {
        if (!ParseDecimal(option.value, maxScaleFactor, number) || number == 0) {
            error = "bad scale '" + option.value + "' (a whole number from 1)";
            return false;
        }
        options.maxScale = static_cast<uint32_t>(number);
    } else if (option.name == "-ticks") {
        return ParseTicks(option.value, option.typed, options.ticks, error);
    } else {
        return false;
    }
    return true;
}
