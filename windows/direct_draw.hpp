// DirectDraw set-up and tear-down: exclusive full-screen access without a mode
// change, the primary surface, the uniform palette on 8-bit displays, a 640x480
// off-screen surface in the display's format and a clipper for the saver window.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "engine/frame/display_descriptor.hpp"

extern LPDIRECTDRAW directDraw; // null while the display is not set up
extern LPDIRECTDRAWSURFACE primarySurface;
extern LPDIRECTDRAWSURFACE offscreenSurface;
extern WORD unsupportedDepth; // 1 once the display's bit count was not 8, 16, 24 or 32
extern HWND displayWindow;

void SetUpDirectDraw();
void TearDownDirectDraw();
