// The arithmetic behind the saver's close rules, apart from any window.
#pragma once

#include <cstdint>

#include "engine/input/pointer_travel.hpp"

constexpr uint32_t noCheckYet = 0xFFFFFFFF;
constexpr uint32_t passwordCheckGuardMilliseconds = 200;

// A close request this soon after the last password dialog ended is refused
// without a dialog. Unsigned difference: holds across the tick counter's wrap.
bool TooSoonAfterPasswordCheck(uint32_t now, uint32_t lastCheckTick);
