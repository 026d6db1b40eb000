// Test-only MPR.DLL (loaded in place of Wine's with WINEDLLOVERRIDES=mpr=n,b):
// PwdChangePasswordA logs what it was asked.
//   AURILO_FAKE_LOG   file that receives one line per event
#include <windows.h>

#include "tests/wine/test_log.hpp"

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD flags, LPVOID reserved)
{
    AppendLogLine("AURILO_FAKE_LOG", "PwdChangePasswordA provider=%s owner=%lu flags=%lu reserved=%08lx", provider,
        static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(owner)), static_cast<unsigned long>(flags),
        static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(reserved)));
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        AppendLogLine("AURILO_FAKE_LOG", "loaded");
    return TRUE;
}
