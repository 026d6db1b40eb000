// Test launcher: starts the saver with a command line of the test's choosing,
// optionally hosts a parent window for previews and probes the child the saver
// makes in it, and prints the saver's full 32-bit exit code.
//   saver-launcher [--parent WxH] [--probe-preview] [--close-parent-after MS]
//                  [--steal-focus-after MS (from the saver window)] [--foreground-window] [--inspect-dialog]
//                  [--close-dialog] [--click-connect N] [--query-autoplay-after MS]
//                  [--post-after MS:MESSAGE[:WPARAM]] [--timeout MS] SAVER COMMAND-LINE
// In COMMAND-LINE, %P stands for the parent window's number, %F for the
// foreground window's. Texts are printed as UTF-16 code units in hex.
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

HWND foregroundWindow = nullptr;

std::string Substitute(std::string text)
{
    const std::pair<const char*, HWND> marks[] = { { "%P", parentWindow }, { "%F", foregroundWindow } };
    for (const auto& [mark, window] : marks) {
        const size_t at = text.find(mark);
        if (at != std::string::npos)
            text.replace(at, 2, std::to_string(reinterpret_cast<UINT_PTR>(window)));
    }
    return text;
}

std::string Utf16Hex(HWND window)
{
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    std::string hex;
    char unit[8];
    for (const wchar_t* c = text; *c != 0; ++c) {
        std::snprintf(unit, sizeof unit, "%s%04X", hex.empty() ? "" : ".", static_cast<unsigned>(*c));
        hex += unit;
    }
    return hex.empty() ? "-" : hex;
}

struct DialogSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<DialogSearch*>(context);
    char className[16] = "";
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    GetClassNameA(window, className, sizeof className);
    if (process == search->process && std::string(className) == "#32770" && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForDialog(const PROCESS_INFORMATION& process, DWORD timeout)
{
    const DWORD end = GetTickCount() + timeout;
    while (static_cast<LONG>(end - GetTickCount()) > 0 && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        DialogSearch search { process.dwProcessId, nullptr };
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr)
            return search.found;
        Pump(50);
    }
    return nullptr;
}

void InspectDialog(HWND dialog)
{
    RECT base { 0, 0, 4, 8 };
    MapDialogRect(dialog, &base);
    std::printf("dialog caption=%s owner=%lu style=0x%08lX base=%ld,%ld\n", Utf16Hex(dialog).c_str(),
        static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(GetWindow(dialog, GW_OWNER))),
        static_cast<unsigned long>(GetWindowLongA(dialog, GWL_STYLE)), base.right, base.bottom);
    for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
        char className[32] = "";
        GetClassNameA(control, className, sizeof className);
        RECT area {};
        GetWindowRect(control, &area);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
        std::printf("control id=%d class=%s text=%s style=0x%08lX exstyle=0x%08lX rect=%ld,%ld,%ld,%ld\n",
            static_cast<int>(static_cast<short>(GetDlgCtrlID(control))), className, Utf16Hex(control).c_str(),
            static_cast<unsigned long>(GetWindowLongA(control, GWL_STYLE)),
            static_cast<unsigned long>(GetWindowLongA(control, GWL_EXSTYLE)), area.left, area.top, area.right,
            area.bottom);
    }
}

void ClickConnect(HWND dialog, int times)
{
    HWND button = GetDlgItem(dialog, 1003);
    for (int i = 0; i < times; ++i) {
        SendMessageA(button, BM_CLICK, 0, 0);
        Pump(700);
    }
    std::printf("dialog-open-after-connect %s\n", IsWindow(dialog) && IsWindowVisible(dialog) ? "yes" : "no");
}

HWND FindSaver()
{
    return FindWindowA("WindowsScreenSaverClass", "Screen Saver");
}

void QueryAutoPlay()
{
    const UINT query = RegisterWindowMessageA("QueryCancelAutoPlay");
    DWORD_PTR answer = 0xFF;
    SendMessageTimeoutA(FindSaver(), query, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    std::printf("autoplay-answer %lu\n", static_cast<unsigned long>(answer));
}

} // namespace

int main(int argc, char** argv)
{
    int width = 0, height = 0, clicks = 0;
    DWORD timeout = 20000, closeParentAfter = 0, stealFocusAfter = 0, autoPlayAfter = 0, postAfter = 0;
    UINT postMessage = 0, postWParam = 0;
    bool probe = false, foreground = false, inspect = false, closeDialog = false;
    int i = 1;
    std::setvbuf(stdout, nullptr, _IONBF, 0); // the test reads lines while this runs
    for (; i + 2 < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i) {
        const std::string option = argv[i];
        bool* flag = option == "--probe-preview" ? &probe
            : option == "--foreground-window" ? &foreground
            : option == "--inspect-dialog"    ? &inspect
            : option == "--close-dialog"      ? &closeDialog
                                              : nullptr;
        if (flag != nullptr) {
            *flag = true;
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
        else if (option == "--click-connect")
            clicks = std::atoi(value);
        else if (option == "--query-autoplay-after")
            autoPlayAfter = std::strtoul(value, nullptr, 10);
        else if (option == "--post-after")
            std::sscanf(value, "%lu:%u:%u", &postAfter, &postMessage, &postWParam);
    }
    if (i + 2 != argc) {
        std::fprintf(stderr, "usage: saver-launcher [options] SAVER COMMAND-LINE\n");
        return 2;
    }
    if (width > 0) {
        parentWindow = MakeWindow("Settings", width, height);
        std::printf("parent=%lu\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(parentWindow)));
    }
    if (foreground) {
        foregroundWindow = MakeWindow("Foreground", 200, 100);
        SetForegroundWindow(foregroundWindow);
        std::printf("foreground=%lu\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(foregroundWindow)));
    }
    std::string commandLine = Substitute(argv[i + 1]);
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!CreateProcessA(argv[i], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("cannot start %s\n", argv[i]);
        return 2;
    }
    const bool dialogExpected = inspect || closeDialog || clicks > 0;
    if (parentWindow != nullptr && !dialogExpected) {
        HWND child = WaitForChild(process.hProcess, timeout);
        if (child != nullptr) {
            Pump(1000);
            RedrawWindow(parentWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            ReportChild(child);
            if (probe)
                ProbePreview(child, process.hProcess);
        }
    }
    if (dialogExpected) {
        HWND dialog = WaitForDialog(process, timeout);
        if (dialog != nullptr && inspect)
            InspectDialog(dialog);
        if (dialog != nullptr && clicks > 0)
            ClickConnect(dialog, clicks);
        if (dialog != nullptr && closeDialog)
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    if (autoPlayAfter > 0) {
        Pump(autoPlayAfter);
        QueryAutoPlay();
    }
    if (postAfter > 0) {
        Pump(postAfter);
        PostMessageA(FindSaver(), postMessage, postWParam, 0);
    }
    if (stealFocusAfter > 0) {
        // Counted from when the saver's window is there.
        for (DWORD waited = 0; FindSaver() == nullptr && waited < timeout; waited += 50)
            Pump(50);
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
