#include "windows/frame_cycle.hpp"

#include <mmsystem.h>

#include "engine/engine.hpp"
#include "windows/direct_draw.hpp"
#include "windows/frame_pacing.hpp"
#include "windows/frame_request.hpp"

RECT sourceRect {};
RECT destRect {};

namespace {

UINT frameTimer = 0; // 0 means no timer

// Touched only by the timer thread once the timer runs.
FramePacer framePacer {};

void CALLBACK FrameTimerCallback(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR)
{
    // timeGetTime follows the timer period; GetTickCount moves in 10-16 ms steps.
    const DWORD now = timeGetTime();
    if (!framePacer.MayRequest(now) || !ClaimFrameRequest())
        return;
    framePacer.NoteRequest(now);
    // A request that never arrives would stop the animation for good.
    if (!PostMessageA(displayWindow, WM_USER, 0, 0))
        ReleaseFrameRequest();
}

UINT FinestTimerPeriod()
{
    TIMECAPS capabilities {};
    timeGetDevCaps(&capabilities, sizeof capabilities);
    return capabilities.wPeriodMin;
}

void ClearOffscreenImage()
{
    DDBLTFX effects {};
    effects.dwSize = sizeof effects;
    effects.dwFillColor = displayDescriptor.fillColor;
    offscreenSurface->Blt(&sourceRect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects);
}

void DrawLockedFrame(const DDSURFACEDESC& locked)
{
    DrawNextFrame(static_cast<uint8_t*>(locked.lpSurface), locked.lPitch, GetTickCount());
    offscreenSurface->Unlock(nullptr);
}

// DirectDraw knows the rate of the display it drives, also on Windows 9x,
// where GDI does not tell it.
uint32_t RefreshRate()
{
    DWORD directDrawRate = 0;
    if (SUCCEEDED(directDraw->GetMonitorFrequency(&directDrawRate)) && directDrawRate > 1)
        return directDrawRate;
    HDC screen = GetDC(nullptr);
    const int rate = GetDeviceCaps(screen, VREFRESH);
    ReleaseDC(nullptr, screen);
    return rate > 0 ? static_cast<uint32_t>(rate) : 0;
}

} // namespace

void StartFrameTimer()
{
    const UINT period = FinestTimerPeriod();
    timeBeginPeriod(period);
    framePacer.Start(RefreshRate(), timeGetTime());
    frameTimer = timeSetEvent(period, period, FrameTimerCallback, 0, TIME_PERIODIC);
    // Without a timer StopFrameTimer ends nothing: end the period here, or the
    // system keeps its finer timer resolution after the saver has gone.
    if (frameTimer == 0)
        timeEndPeriod(period);
}

void StopFrameTimer()
{
    if (frameTimer == 0)
        return;
    timeKillEvent(frameTimer);
    timeEndPeriod(FinestTimerPeriod());
}

void RunFrame()
{
    ClearOffscreenImage();
    DDSURFACEDESC locked {};
    locked.dwSize = sizeof locked;
    if (SUCCEEDED(offscreenSurface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr)))
        DrawLockedFrame(locked);
    // A frame whose lock failed still ends the same way, so the cycle goes on.
    directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
    primarySurface->Blt(&destRect, offscreenSurface, &sourceRect, DDBLT_WAIT, nullptr);
    ReleaseFrameRequest();
}
