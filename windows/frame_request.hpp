// The one frame request that may be on its way to the window thread. Set
// 0 -> 1 only by the timer thread, cleared 1 -> 0 only by the window thread.
#pragma once

#include <atomic>
#include <cstdint>

extern std::atomic<uint32_t> frameRequestPending;
static_assert(std::atomic<uint32_t>::is_always_lock_free);

// Timer thread: true when no request was pending and one now is.
inline bool ClaimFrameRequest()
{
    if (frameRequestPending.load() != 0)
        return false;
    frameRequestPending.store(1);
    return true;
}

// Window thread, at the end of a frame; timer thread when its post failed.
inline void ReleaseFrameRequest()
{
    frameRequestPending.store(0);
}
