// Test-only MPR.DLL (loaded in place of Wine's with WINEDLLOVERRIDES=mpr=n,b):
// PwdChangePasswordA logs what it was asked.
//   AURILO_FAKE_LOG   file that receives one line per event
#include <windows.h>

#include <cstdio>

namespace {

void Log(const char* format, ...)
{
    char path[512] = "";
    GetEnvironmentVariableA("AURILO_FAKE_LOG", path, sizeof path);
    FILE* file = std::fopen(path, "ab");
    if (file == nullptr)
        return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(file, format, arguments);
    va_end(arguments);
    std::fputc('\n', file);
    std::fclose(file);
}

} // namespace

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD flags, LPVOID reserved)
{
    Log("PwdChangePasswordA provider=%s owner=%lu flags=%lu reserved=%p", provider,
        static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(owner)), static_cast<unsigned long>(flags), reserved);
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        Log("loaded");
    return TRUE;
}
