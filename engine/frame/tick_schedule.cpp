#include "engine/frame/tick_schedule.hpp"

#include <algorithm>
#include <cstring>

bool ParseDecimal(std::string_view text, uint64_t maxValue, uint64_t& value)
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

namespace {

// The digits of value, written at the end of room.
std::string_view Decimal(uint32_t value, char (&room)[10])
{
    size_t first = sizeof room;
    do {
        room[--first] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return { room + first, sizeof room - first };
}

} // namespace

bool TickList::Next(uint32_t& tick)
{
    if (ended_)
        return false;
    const size_t comma = rest_.find(',');
    const std::string_view item = rest_.substr(0, comma);
    ended_ = comma == std::string_view::npos;
    rest_.remove_prefix(ended_ ? rest_.size() : comma + 1);
    uint64_t value;
    if (!ParseDecimal(item, largestTick, value)) {
        NoteFault({ "bad tick '", item.substr(0, 24), "'" }); // the user's text, cut to one line
        return false;
    }
    if (!first_ && value < last_) {
        char lastText[10];
        NoteFault({ "ticks must not decrease: ", item, " follows ", Decimal(last_, lastText) });
        return false;
    }
    first_ = false;
    last_ = static_cast<uint32_t>(value);
    tick = last_;
    return true;
}

// "OPTION: PIECES...", cut at the end of the room.
void TickList::NoteFault(std::initializer_list<std::string_view> pieces)
{
    ended_ = true;
    size_t length = 0;
    const auto append = [&](std::string_view text) {
        const size_t taken = std::min(text.size(), sizeof fault_ - 1 - length);
        std::memcpy(fault_ + length, text.data(), taken);
        length += taken;
    };
    append(option_);
    append(": ");
    for (std::string_view piece : pieces)
        append(piece);
    fault_[length] = '\0';
}

bool ParseTicks(std::string_view text, std::string_view option, std::vector<uint32_t>& ticks, std::string& error)
{
    ticks.clear();
    TickList list(text, option);
    uint32_t tick;
    while (list.Next(tick))
        ticks.push_back(tick);
    error = list.Fault();
    return error.empty();
}
