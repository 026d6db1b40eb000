// SIGTERM and SIGINT ask a Unix front end to end at its next turn; so may the
// front end itself (a window that went away).
#pragma once

// Without SA_RESTART: a signal also ends a wait that is under way.
void CatchStopSignals();
void RequestStop();
bool StopRequested();
