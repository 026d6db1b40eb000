// Configure mode: the saver has no settings, so it shows its about dialog.
#pragma once

#include <windows.h>

// The dialog's result: 1 after OK, 2 after cancel, -1 when it cannot be made.
int RunConfigure(HWND owner);
