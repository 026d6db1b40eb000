// Test-only PASSWORD.CPL, placed beside the saver: VerifyScreenSavePwd answers
// as the test scripts it and logs each call with the system's
// screen-saver-running state.
//   AURILO_FAKE_ANSWERS   comma-separated answers, the last one repeated (default 1)
//   AURILO_FAKE_REENTER   1: while "the dialog is up", send WM_CLOSE to the saver
//   AURILO_FAKE_SLOW      1: the dialog stays up for 500 ms, dispatching
//                         messages, while the mouse travels 30 pixels; a key
//                         pressed as it closes reaches the saver just after
//   AURILO_FAKE_LOG       file that receives one line per event
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/wine/test_log.hpp"

namespace {

int calls = 0;

std::string Variable(const char* name)
{
    char value[512] = "";
    GetEnvironmentVariableA(name, value, sizeof value);
    return value;
}

void Log(const std::string& line)
{
    AppendLogLine("AURILO_FAKE_LOG", "%s", line.c_str());
}

BOOL Answer(int call)
{
    std::string answers = Variable("AURILO_FAKE_ANSWERS");
    if (answers.empty())
        return TRUE;
    size_t start = 0;
    for (int i = 0; i < call; ++i) {
        const size_t comma = answers.find(',', start);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return std::atoi(answers.c_str() + start) != 0;
}

} // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window)
{
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    const int call = calls++;
    Log("verify " + std::to_string(call + 1) + " running=" + std::to_string(running));
    if (Variable("AURILO_FAKE_SLOW") == "1") {
        POINT cursor {};
        GetCursorPos(&cursor);
        SetCursorPos(cursor.x + 30, cursor.y);
        // A modal dialog's own loop: the saver's messages meanwhile go through.
        for (const DWORD end = GetTickCount() + 500; static_cast<LONG>(end - GetTickCount()) > 0; Sleep(10))
            for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
                DispatchMessageA(&message);
        PostMessageA(window, WM_KEYDOWN, 'B', 0);
    }
    if (Variable("AURILO_FAKE_REENTER") == "1")
        Log("close while asking answered " + std::to_string(SendMessageA(window, WM_CLOSE, 0, 0)));
    return Answer(call);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        Log("loaded");
    return TRUE;
}
