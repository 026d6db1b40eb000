#include "windows/saver_window.hpp"

#include "windows/saver_handler.hpp"
#include "windows/password.hpp"

HINSTANCE saverInstance = nullptr;
BOOL onWindows9x = FALSE;
BOOL previewMode = FALSE;

namespace {

HWND saverWindow = nullptr;
UINT autoPlayMessage = 0; // "QueryCancelAutoPlay", Windows 9x only; 0 = none
ScreenPoint lastCursorPos {}; // where mouse travel is measured from

constexpr char saverClassName[] = "WindowsScreenSaverClass";
constexpr char fullScreenTitle[] = "Screen Saver";
constexpr char previewTitle[] = "Preview";
constexpr DWORD fullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD previewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
constexpr WORD missingIconId = 100; // the class has no icon: the resources hold none of this number

using ImmAssociateContextEntry = HIMC(WINAPI*)(HWND window, HIMC context);
HMODULE immModule = nullptr;
ImmAssociateContextEntry immAssociateEntry = nullptr;
HIMC savedInputContext = nullptr;

struct WindowPlacement {
    RECT area;
    DWORD style;
    DWORD extendedStyle;
    const char* title;
};

bool RegisterSaverClass()
{
    WNDCLASSA saverClass {};
    saverClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    saverClass.lpfnWndProc = SaverWindowProc;
    saverClass.hInstance = saverInstance;
    saverClass.hIcon = LoadIconA(saverInstance, MAKEINTRESOURCEA(missingIconId));
    saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    saverClass.lpszClassName = saverClassName;
    return RegisterClassA(&saverClass) != 0;
}

RECT ScreenArea()
{
    RECT area {};
    HDC screen = GetDC(nullptr);
    GetClipBox(screen, &area);
    ReleaseDC(nullptr, screen);
    return area;
}

bool BringRunningSaverForward()
{
    HWND running = FindWindowA(saverClassName, fullScreenTitle);
    if (running == nullptr || !IsWindow(running))
        return false;
    SetForegroundWindow(running);
    return true;
}

int RunMessageLoop()
{
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) != 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

ScreenPoint CursorPosition()
{
    POINT cursor {};
    GetCursorPos(&cursor);
    return { cursor.x, cursor.y };
}

void HideCursor()
{
    SetCursor(nullptr);
}

void AskForClosing(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
}

void DetachInputMethod(HWND window)
{
    // IMM32.DLL is used only when the process has it already.
    immModule = GetModuleHandleA("IMM32.DLL");
    if (immModule == nullptr)
        return;
    immAssociateEntry = reinterpret_cast<ImmAssociateContextEntry>(
        reinterpret_cast<void*>(GetProcAddress(immModule, "ImmAssociateContext")));
    if (immAssociateEntry != nullptr)
        savedInputContext = immAssociateEntry(window, nullptr);
}

void RestoreInputMethod(HWND window)
{
    if (immModule != nullptr && immAssociateEntry != nullptr && savedInputContext != nullptr)
        immAssociateEntry(window, savedInputContext);
}

LRESULT ForwardToParent(HWND window, UINT message, LPARAM lParam)
{
    HWND parent = GetParent(window);
    if (parent != nullptr && IsWindow(parent))
        PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
    return 1;
}

bool IsSwallowedSystemCommand(WPARAM command)
{
    return command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_SCREENSAVE;
}

// The input rules; true when the message is answered here and goes no further.
bool ApplyInputRule(HWND window, UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam != 0)
            HideCursor();
        return false;
    case WM_ACTIVATEAPP:
        if (wParam == FALSE)
            AskForClosing(window);
        return false;
    case WM_SETCURSOR:
        HideCursor();
        return true;
    case WM_POWER:
        if (wParam == PWR_CRITICALRESUME)
            AskForClosing(window);
        return false;
    case WM_POWERBROADCAST:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        AskForClosing(window);
        return false;
    case WM_MOUSEMOVE: {
        // The message's own coordinates are not used: they are relative to the window.
        const ScreenPoint cursor = CursorPosition();
        if (MouseTravelCloses(lastCursorPos, cursor)) {
            AskForClosing(window);
            lastCursorPos = cursor;
        }
        return false;
    }
    default:
        return false;
    }
}

LRESULT AnswerDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (autoPlayMessage != 0 && message == autoPlayMessage) {
        AskForClosing(window);
        return verifyPasswordEntry != nullptr ? 1 : 0; // 1 cancels AutoPlay
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

#ifdef AURILO_FAULT_TEST
// A test build faults inside a message handler on request, to show the
// exception guard at work. A real access violation, not a raised exception.
constexpr UINT faultTestMessage = WM_APP + 0x77;
volatile UINT_PTR faultAddress = 0;

void FaultForTest()
{
    *reinterpret_cast<volatile int*>(faultAddress) = 1;
}
#endif

} // namespace

int RunSaverWindow(HWND parent)
{
    WindowPlacement placement;
    if (parent != nullptr) {
        GetClientRect(parent, &placement.area); // at (0, 0), the parent's size
        previewMode = TRUE;
        placement.style = previewStyle;
        placement.extendedStyle = 0;
        placement.title = previewTitle;
    } else {
        placement.area = ScreenArea();
        placement.style = fullScreenStyle;
        placement.extendedStyle = WS_EX_TOPMOST;
        placement.title = fullScreenTitle;
        if (BringRunningSaverForward())
            return 0;
        LoadPasswordProvider();
    }
    autoPlayMessage = onWindows9x ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;
    if (RegisterSaverClass()) {
        const RECT& area = placement.area;
        saverWindow = CreateWindowExA(placement.extendedStyle, saverClassName, placement.title, placement.style,
            area.left, area.top, area.right - area.left, area.bottom - area.top, parent, nullptr, saverInstance,
            nullptr);
    }
    int exitCode = 0;
    if (saverWindow != nullptr) {
        if (!previewMode)
            SetForegroundWindow(saverWindow);
        exitCode = RunMessageLoop();
    }
    UnloadPasswordProvider();
    return exitCode;
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        DetachInputMethod(window);
        lastCursorPos = CursorPosition();
        if (!previewMode)
            HideCursor();
        break;
    case WM_DESTROY:
        RestoreInputMethod(window);
        PostQuitMessage(0);
        break;
    case WM_SETTEXT:
        return 0; // a second start finds the running saver by its title: it never changes
    case WM_PAINT:
        if (closeGranted)
            return DefWindowProcA(window, message, wParam, lParam);
        if (!previewMode)
            HideCursor();
        break;
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (previewMode)
            return ForwardToParent(window, message, lParam);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (closeGranted)
            return DefWindowProcA(window, message, wParam, lParam);
        break;
    case WM_SYSCOMMAND:
        if (!previewMode && IsSwallowedSystemCommand(wParam))
            return 0;
        break;
    case WM_TIMER:
        if (closeGranted)
            return 0;
        // Nothing of ours runs on timer messages: give the slice to other
        // threads, the frame timer's among them, instead of spinning on them.
        Sleep(0);
        break;
#ifdef AURILO_FAULT_TEST
    case faultTestMessage:
        FaultForTest();
        break;
#endif
    default:
        break;
    }
    return SaverMessageHandler(window, message, wParam, lParam);
}

LRESULT SaverDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (previewMode || closeGranted)
        return AnswerDefault(window, message, wParam, lParam);
    if (message == WM_CLOSE && onWindows9x && !VerifyCloseRequest(window)) {
        lastCursorPos = CursorPosition();
        return 0;
    }
    if (message == verifyRequest && onWindows9x)
        return verifyPasswordEntry != nullptr ? verifyPasswordEntry(window) : 1;
    if (!passwordCheckActive && ApplyInputRule(window, message, wParam))
        return 1;
    return AnswerDefault(window, message, wParam, lParam);
}
