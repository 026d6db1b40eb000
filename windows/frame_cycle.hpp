// Frame pacing and the per-frame cycle: a periodic multimedia timer posts one
// frame request at a time; the window thread clears, locks, animates, unlocks,
// waits for the vertical blank and copies the image to the centre of the screen.
#pragma once

#include <windows.h>

extern RECT sourceRect; // the whole off-screen image
extern RECT destRect; // the centred image in the window's client area

void StartFrameTimer();
void StopFrameTimer();
void RunFrame();
