#include "windows/input_rules.hpp"

bool TooSoonAfterPasswordCheck(uint32_t now, uint32_t lastCheckTick)
{
    return lastCheckTick != noCheckYet && now - lastCheckTick < passwordCheckGuardMilliseconds;
}
