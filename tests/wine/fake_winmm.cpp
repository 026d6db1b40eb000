// Test-only WINMM.DLL (loaded in place of Wine's with WINEDLLOVERRIDES=winmm=n,b):
// timer services whose periodic timer cannot start, logging how the saver
// raises and lowers the timer resolution to AURILO_FAKE_LOG.
#define _WINMM_ // defines these entries instead of importing them
#include <windows.h>
#include <mmsystem.h>

#include "tests/wine/test_log.hpp"

extern "C" {

__declspec(dllexport) MMRESULT WINAPI timeGetDevCaps(LPTIMECAPS capabilities, UINT)
{
    *capabilities = TIMECAPS { 1, 1000000 };
    return TIMERR_NOERROR;
}

__declspec(dllexport) MMRESULT WINAPI timeBeginPeriod(UINT period)
{
    AppendLogLine("AURILO_FAKE_LOG", "timeBeginPeriod %u", period);
    return TIMERR_NOERROR;
}

__declspec(dllexport) MMRESULT WINAPI timeEndPeriod(UINT period)
{
    AppendLogLine("AURILO_FAKE_LOG", "timeEndPeriod %u", period);
    return TIMERR_NOERROR;
}

__declspec(dllexport) MMRESULT WINAPI timeSetEvent(UINT, UINT, LPTIMECALLBACK, DWORD_PTR, UINT) { return 0; }
__declspec(dllexport) MMRESULT WINAPI timeKillEvent(UINT) { return TIMERR_NOERROR; }
__declspec(dllexport) DWORD WINAPI timeGetTime() { return GetTickCount(); }

}
