#include "display/frame_pacing.hpp"

namespace {

constexpr uint32_t unknownRefreshRate = 60;
constexpr uint32_t slackMilliseconds = 1;

} // namespace

void FramePacer::Start(uint32_t refreshRate, uint32_t now)
{
    const uint32_t rate = refreshRate > 1 ? refreshRate : unknownRefreshRate;
    const uint32_t period = 1000 / rate;
    minimumInterval = period > slackMilliseconds ? period - slackMilliseconds : 0;
    lastRequest = now - minimumInterval;
}
