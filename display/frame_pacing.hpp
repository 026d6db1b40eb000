// Keeps frame requests at least one display refresh apart. Where the wait for
// the vertical blank returns at once (Wine, many virtual machines and remote
// sessions) the 1 ms timer would otherwise start frames as fast as the
// processor allows. A millisecond of slack lets a wait that really blocks pace
// the frames exactly as it always has.
#pragma once

#include <cstdint>

struct FramePacer {
    uint32_t minimumInterval = 0; // milliseconds between two requests
    uint32_t lastRequest = 0; // millisecond clock; wraps at 2^32

    // refreshRate in Hz; 0 or 1 (the display does not say) means 60. The first
    // request may follow at once.
    void Start(uint32_t refreshRate, uint32_t now);
    // The unsigned difference survives the clock's wrap.
    bool MayRequest(uint32_t now) const { return now - lastRequest >= minimumInterval; }
    void NoteRequest(uint32_t now) { lastRequest = now; }
};
