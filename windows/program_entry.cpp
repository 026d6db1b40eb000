// The process entry: skips the program name, learns the Windows family, picks
// the mode from the first switch letter and ends the process with its result.
#include <windows.h>

#include "windows/about_dialog.hpp"
#include "windows/command_line.hpp"
#include "windows/exception_guard.hpp"
#include "windows/password.hpp"
#include "windows/saver_window.hpp"
#include "windows/window_number.hpp"

namespace {

const char* StepCharacter(const char* text)
{
    return CharNextA(text);
}

BOOL DetectWindows9x()
{
    OSVERSIONINFOA version {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

int RunPreview(const char* text)
{
    HWND parent = WindowFromNumber(text);
    if (parent == nullptr || !IsWindow(parent))
        return -1;
    return RunSaverWindow(parent);
}


int RunMode(const char* tail)
{
    const ModeRequest request = ScanCommandTail(tail, onWindows9x);
    switch (request.mode) {
    case SaverMode::FullScreen:
        return RunSaverWindow(nullptr);
    case SaverMode::Preview:
        return RunPreview(request.text);
    case SaverMode::Configure:
        return RunConfigure(OwnerFromNumber(request.text));
    case SaverMode::ConfigureUnowned:
        return RunConfigure(nullptr);
    case SaverMode::PasswordChange:
        return RunPasswordChange(request.text);
    case SaverMode::Refused:
    default:
        return -1;
    }
}

} // namespace

int DispatchMode(HINSTANCE instance, const char* tail)
{
    saverInstance = instance;
    onWindows9x = DetectWindows9x();
    return RunGuarded(RunMode, tail);
}

extern "C" void ProgramEntry()
{
    const char* tail = SkipProgramName(GetCommandLineA(), StepCharacter);
    ExitProcess(static_cast<UINT>(DispatchMode(GetModuleHandleA(nullptr), tail)));
}
