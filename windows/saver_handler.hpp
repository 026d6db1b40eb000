// Where the display meets the saver window: set-up at creation, tear-down at
// destruction, fallback painting while there is no DirectDraw, and frames.
#pragma once

#include <windows.h>

// Acts on WM_CREATE, WM_DESTROY, WM_PAINT and WM_USER, then hands every
// message to SaverDefaultProc and returns its result.
LRESULT SaverMessageHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
