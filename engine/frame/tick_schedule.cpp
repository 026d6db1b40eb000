#include "engine/frame/tick_schedule.hpp"

bool ParseDecimal(const std::string& text, uint64_t maxValue, uint64_t& value)
{
    if (text.empty() || text.size() > 20)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > maxValue)
            return false;
    }
    return true;
}

bool ParseTicks(const std::string& text, std::vector<uint32_t>& ticks, std::string& error)
{
    ticks.clear();
    size_t begin = 0;
    while (true) {
        const size_t comma = text.find(',', begin);
        const std::string item = text.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin);
        uint64_t tick;
        if (!ParseDecimal(item, largestTick, tick)) {
            error = "bad tick '" + item + "' in --ticks";
            return false;
        }
        if (!ticks.empty() && tick < ticks.back()) {
            error = "--ticks must be ascending: " + item + " follows " + std::to_string(ticks.back());
            return false;
        }
        ticks.push_back(static_cast<uint32_t>(tick));
        if (comma == std::string::npos)
            return true;
        begin = comma + 1;
    }
}
