// SIGTERM and SIGINT ask a Unix front end to end at its next turn; so may the
// front end itself (a window that went away).
#pragma once

#include <csignal>

// Without SA_RESTART: a signal also ends a wait that is under way.
void CatchStopSignals();
void RequestStop();
bool StopRequested();

// For a loop that waits in ppoll: the stop signals are held back but while it
// waits there with the mask returned, so none arrives between the loop's
// check and the wait, to be seen only after the next event.
sigset_t HoldStopSignals();
