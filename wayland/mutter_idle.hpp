// -idle on GNOME, whose compositor offers no Wayland idle protocol: its idle
// monitor on the session bus says when the session has been idle, and the
// session manager whether an application (a playing video) inhibits idle.
#pragma once

#include <cstdint>

// Connects to the session bus and asks to be told of idle; false when the
// bus or the idle monitor is not there.
bool WatchMutterIdle(uint32_t milliseconds);
// The bus connection's descriptor and the poll events it waits for; -1 when
// not watching.
int MutterIdleDescriptor();
short MutterIdleEvents();
// Handles what the bus sent; false when the connection failed.
bool ReadMutterIdle();
// Idle that long since the last input, and nothing inhibits it.
bool MutterSessionIdle();
// Input hid the saver: it waits for the next idle.
void ForgetMutterIdle();
void StopWatchingMutterIdle();
