// The one saver window, full-screen or as a preview child, its message loop,
// and the two procedures around the saver message handler: the window
// procedure's filters and the default procedure's close rules.
#pragma once

#include <windows.h>

#include "windows/input_rules.hpp"

extern HINSTANCE saverInstance; // the program's own module
extern BOOL onWindows9x; // the Windows 9x family: password, AutoPlay, /a
extern BOOL previewMode; // the window is a preview child

// Exit code: the quit message's, or 0 when another saver window already runs.
int RunSaverWindow(HWND parent);
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SaverDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
