#include "windows/frame_pacing.hpp"

namespace {

constexpr uint32_t unknownRefreshRate = 60;

} // namespace

void FramePacer::Start(uint32_t refreshRate, uint32_t now)
{
    rate = (refreshRate > 1 ? refreshRate : unknownRefreshRate) + 1;
    nextRequest = now;
    carried = 0;
}

void FramePacer::NoteRequest(uint32_t now)
{
    // A request a whole step late starts the schedule afresh: frames that
    // came late are not made up for by a burst.
    if (now - nextRequest >= 1000 / rate) {
        nextRequest = now;
        carried = 0;
    }
    carried += 1000 % rate;
    nextRequest += 1000 / rate + carried / rate;
    carried %= rate;
}
