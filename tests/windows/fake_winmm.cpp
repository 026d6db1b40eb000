// Test-only WINMM.DLL (loaded in place of Wine's with WINEDLLOVERRIDES=winmm=n,b):
// a multimedia timer service whose periodic timer cannot start, and that logs
// how the saver raises and lowers the timer resolution.
//   AURILO_FAKE_LOG   file that receives one line per call
// Defines these entries instead of importing them.
#define _WINMM_
#include <windows.h>
#include <mmsystem.h>

#include "tests/windows/test_log.hpp"

extern "C" {

__declspec(dllexport) MMRESULT WINAPI timeGetDevCaps(LPTIMECAPS capabilities, UINT size)
{
    if (capabilities == nullptr || size < sizeof *capabilities)
        return TIMERR_NOCANDO;
    capabilities->wPeriodMin = 1;
    capabilities->wPeriodMax = 1000000;
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

__declspec(dllexport) MMRESULT WINAPI timeSetEvent(UINT, UINT, LPTIMECALLBACK, DWORD_PTR, UINT)
{
    AppendLogLine("AURILO_FAKE_LOG", "timeSetEvent failed");
    return 0;
}

__declspec(dllexport) MMRESULT WINAPI timeKillEvent(UINT timer)
{
    AppendLogLine("AURILO_FAKE_LOG", "timeKillEvent %u", timer);
    return TIMERR_NOERROR;
}

__declspec(dllexport) DWORD WINAPI timeGetTime()
{
    return GetTickCount();
}

}
