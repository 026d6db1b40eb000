// Test launcher: starts the saver with a command line of the test's choosing,
// optionally hosts a parent window for previews and probes the child the saver
// makes in it, and prints the saver's full 32-bit exit code.
//   saver-launcher [--parent WxH] [--probe-preview] [--close-parent-after MS]
//                  [--steal-focus-after MS] [--timeout MS] SAVER COMMAND-LINE
// In COMMAND-LINE, %P stands for the parent window's number.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HWND parentWindow = nullptr;
WPARAM helpForwardedWith = 0;
WPARAM contextMenuForwardedWith = 0;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HELP)
        helpForwardedWith = wParam;
    if (message == WM_CONTEXTMENU)
        contextMenuForwardedWith = wParam;
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(const char* title, int width, int height)
{
    WNDCLASSA windowClass {};
    windowClass.lpfnWndProc = ParentProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "SaverLauncherWindow";
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassA(&windowClass);
    RECT frame { 0, 0, width, height };
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowA("SaverLauncherWindow", title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 10, 10,
        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void Pump(DWORD milliseconds)
{
    const DWORD end = GetTickCount() + milliseconds;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    }
}

HWND WaitForChild(HANDLE process, DWORD timeout)
{
    const DWORD end = GetTickCount() + timeout;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        HWND child = FindWindowExA(parentWindow, nullptr, nullptr, nullptr);
        if (child != nullptr)
            return child;
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
            return nullptr;
        Pump(50);
    }
    return nullptr;
}

void ReportChild(HWND child)
{
    char className[64] = "", title[64] = "";
    GetClassNameA(child, className, sizeof className);
    GetWindowTextA(child, title, sizeof title);
    RECT area {};
    GetWindowRect(child, &area);
    MapWindowPoints(nullptr, parentWindow, reinterpret_cast<POINT*>(&area), 2);
    RECT client {};
    GetClientRect(parentWindow, &client);
    POINT screen { 0, 0 };
    ClientToScreen(child, &screen);
    std::printf("child class=%s title=%s rect=%ld,%ld,%ld,%ld parent-client=%ld,%ld style=0x%08lX screen=%ld,%ld\n",
        className, title, area.left, area.top, area.right, area.bottom, client.right, client.bottom,
        static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)), screen.x, screen.y);
}

// Input that would close a full-screen saver must not close a preview.
void ProbePreview(HWND child, HANDLE process)
{
    const UINT closing[] = { WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN };
    for (UINT message : closing)
        PostMessageA(child, message, 0, 0);
    PostMessageA(child, WM_MOUSEMOVE, 0, MAKELPARAM(300, 300));
    PostMessageA(child, WM_ACTIVATEAPP, FALSE, 0);
    PostMessageA(child, WM_POWERBROADCAST, 0, 0);
    SetCursorPos(400, 400);
    Pump(1500);
    std::printf("alive-after-input %s\n", WaitForSingleObject(process, 0) == WAIT_TIMEOUT ? "yes" : "no");
    PostMessageA(child, WM_HELP, 0, 0);
    PostMessageA(child, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(child), MAKELPARAM(5, 5));
    Pump(1500);
    std::printf("help-forwarded %s\n", helpForwardedWith == reinterpret_cast<WPARAM>(parentWindow) ? "yes" : "no");
    std::printf("context-menu-forwarded %s\n",
        contextMenuForwardedWith == reinterpret_cast<WPARAM>(parentWindow) ? "yes" : "no");
}

void StealFocus()
{
    HWND other = MakeWindow("Other", 200, 100);
    SetForegroundWindow(other);
    SetActiveWindow(other);
}

std::string Substitute(std::string text)
{
    const size_t at = text.find("%P");
    if (at != std::string::npos)
        text.replace(at, 2, std::to_string(reinterpret_cast<UINT_PTR>(parentWindow)));
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    int width = 0, height = 0;
    DWORD timeout = 20000, closeParentAfter = 0, stealFocusAfter = 0;
    bool probe = false;
    int i = 1;
    std::setvbuf(stdout, nullptr, _IONBF, 0); // the test reads lines while this runs
    for (; i + 2 < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i) {
        const std::string option = argv[i];
        if (option == "--probe-preview") {
            probe = true;
            continue;
        }
        const char* value = argv[++i];
        if (option == "--parent")
            std::sscanf(value, "%dx%d", &width, &height);
        else if (option == "--timeout")
            timeout = std::strtoul(value, nullptr, 10);
        else if (option == "--close-parent-after")
            closeParentAfter = std::strtoul(value, nullptr, 10);
        else if (option == "--steal-focus-after")
            stealFocusAfter = std::strtoul(value, nullptr, 10);
    }
    if (i + 2 != argc) {
        std::fprintf(stderr, "usage: saver-launcher [options] SAVER COMMAND-LINE\n");
        return 2;
    }
    if (width > 0)
        parentWindow = MakeWindow("Settings", width, height);
    std::string commandLine = Substitute(argv[i + 1]);
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!CreateProcessA(argv[i], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("cannot start %s\n", argv[i]);
        return 2;
    }
    if (parentWindow != nullptr) {
        HWND child = WaitForChild(process.hProcess, timeout);
        if (child != nullptr) {
            Pump(1000);
            RedrawWindow(parentWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            ReportChild(child);
            if (probe)
                ProbePreview(child, process.hProcess);
        }
    }
    if (stealFocusAfter > 0) {
        Pump(stealFocusAfter);
        StealFocus();
    }
    if (closeParentAfter > 0 && parentWindow != nullptr) {
        Pump(closeParentAfter);
        DestroyWindow(parentWindow);
    }
    const DWORD end = GetTickCount() + timeout;
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        Pump(0);
        if (static_cast<LONG>(end - GetTickCount()) <= 0) {
            TerminateProcess(process.hProcess, 0xDEAD);
            std::printf("timeout\n");
            return 3;
        }
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    std::printf("exit 0x%08lX\n", static_cast<unsigned long>(exitCode));
    return 0;
}
