// The one structured exception guard around a mode. GCC has no __try, so it
// is built the way 32-bit Windows builds one: a registration record on the
// stack, linked in at fs:[0], with a handler that offers the fault to the
// system's UnhandledExceptionFilter. The x86-64 test build, which has no such
// chain, offers it the same way from the process's top-level filter.
#pragma once

#include <windows.h>

using GuardedMode = int (*)(const char* tail);

// Runs mode(tail) inside the guard. When the filter lets the program handle a
// fault, the system is told that no screen saver runs any more and the result
// is the fault's exception code.
int RunGuarded(GuardedMode mode, const char* tail);
