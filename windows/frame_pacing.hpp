// Keeps frame requests about one display refresh apart. Where the wait for
// the vertical blank returns at once (Wine, many virtual machines and remote
// sessions) the 1 ms timer would otherwise start frames as fast as the
// processor allows. The schedule runs at one frame a second more than the
// display refreshes, so that a wait that really blocks paces the frames
// exactly as it always has; its steps are whole milliseconds that add up to
// that rate.
#pragma once

#include <cstdint>

struct FramePacer {
    uint32_t rate = 0; // requests a second
    uint32_t nextRequest = 0; // millisecond clock; wraps at 2^32
    uint32_t carried = 0; // the schedule's part of a millisecond, in 1/rate ms

    // refreshRate in Hz; 0 or 1 (the display does not say) means 60. The first
    // request may follow at once.
    void Start(uint32_t refreshRate, uint32_t now);
    // The signed difference survives the clock's wrap.
    bool MayRequest(uint32_t now) const { return static_cast<int32_t>(now - nextRequest) >= 0; }
    void NoteRequest(uint32_t now);
};
