#include "windows/fallback_text.hpp"

namespace {

constexpr int32_t fallbackTextLeftOfMiddle = 80;

} // namespace

TextPosition FallbackTextPosition(uint32_t clientWidth, uint32_t clientHeight)
{
    return { static_cast<int32_t>(clientWidth / 2) - fallbackTextLeftOfMiddle, static_cast<int32_t>(clientHeight / 2) };
}
