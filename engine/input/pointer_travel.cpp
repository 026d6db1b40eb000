#include "engine/input/pointer_travel.hpp"

namespace {

uint32_t Distance(int32_t from, int32_t to)
{
    const uint32_t difference = static_cast<uint32_t>(to) - static_cast<uint32_t>(from);
    return static_cast<int32_t>(difference) < 0 ? 0u - difference : difference;
}

} // namespace

bool MouseTravelCloses(ScreenPoint reference, ScreenPoint now)
{
    return Distance(reference.x, now.x) + Distance(reference.y, now.y) > mouseMoveThreshold;
}
