// Tick schedules shared by the renderer and the X11 hack's test mode: a list of
// milliseconds since set-up, ascending, one frame each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A whole decimal number of at most maxValue, nothing else.
bool ParseDecimal(const std::string& text, uint64_t maxValue, uint64_t& value);
// "T1,T2,...": ascending (a tick may repeat), each below 2^32.
bool ParseTicks(const std::string& text, std::vector<uint32_t>& ticks, std::string& error);
