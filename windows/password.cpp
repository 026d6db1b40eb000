#include "windows/password.hpp"

#include "windows/input_rules.hpp"
#include "windows/saver_window.hpp"
#include "windows/window_number.hpp"

VerifyScreenSavePwdEntry verifyPasswordEntry = nullptr;
BOOL closeGranted = FALSE;
BOOL passwordCheckActive = FALSE;

namespace {

HMODULE passwordProvider = nullptr; // PASSWORD.CPL while loaded
DWORD lastCheckTick = noCheckYet; // when the last dialog ended; noCheckYet at first

using PwdChangePasswordEntry = DWORD(WINAPI*)(LPCSTR provider, HWND owner, DWORD reserved1, LPVOID reserved2);

bool PasswordRequired(HKEY desktop)
{
    // Shorter data fills only the low bytes; the rest stays 0.
    DWORD value = 0;
    DWORD size = sizeof value;
    return RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size)
        == ERROR_SUCCESS
        && value != 0;
}

// Entries of libraries that only some systems have are looked up by name, never imported.
template <typename Entry>
Entry LookUp(HMODULE module, const char* name)
{
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Timer messages already queued would be dispatched inside the password
// dialog's nested loop; each peek removes at most one.
void RemovePendingTimers(HWND window)
{
    MSG message;
    PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
}

} // namespace

void SetSaverRunning(BOOL running)
{
    if (!onWindows9x)
        return;
    UINT previous = 0;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, static_cast<UINT>(running), &previous, 0);
}

void LoadPasswordProvider()
{
    if (!onWindows9x)
        return;
    if (passwordProvider != nullptr)
        UnloadPasswordProvider();
    HKEY desktop;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop) != ERROR_SUCCESS)
        return;
    if (PasswordRequired(desktop) && (passwordProvider = LoadLibraryA("PASSWORD.CPL")) != nullptr) {
        verifyPasswordEntry = LookUp<VerifyScreenSavePwdEntry>(passwordProvider, "VerifyScreenSavePwd");
        if (verifyPasswordEntry != nullptr)
            SetSaverRunning(TRUE);
        else
            UnloadPasswordProvider();
    }
    RegCloseKey(desktop);
}

void UnloadPasswordProvider()
{
    if (!onWindows9x || passwordProvider == nullptr)
        return;
    FreeLibrary(passwordProvider);
    passwordProvider = nullptr;
    if (verifyPasswordEntry != nullptr) {
        verifyPasswordEntry = nullptr;
        SetSaverRunning(FALSE);
    }
}

BOOL VerifyCloseRequest(HWND window)
{
    if (passwordCheckActive)
        return FALSE;
    if (verifyPasswordEntry == nullptr) {
        closeGranted = TRUE;
        return TRUE;
    }
    if (TooSoonAfterPasswordCheck(GetTickCount(), lastCheckTick))
        return FALSE;
    passwordCheckActive = TRUE;
    RemovePendingTimers(window);
    const LRESULT accepted = SendMessageA(window, verifyRequest, 0, 0);
    closeGranted = accepted != 0;
    passwordCheckActive = FALSE;
    if (!closeGranted)
        SetCursor(nullptr);
    lastCheckTick = GetTickCount();
    return closeGranted;
}

int RunPasswordChange(const char* text)
{
    HWND owner = OwnerFromNumber(text);
    HMODULE library = LoadLibraryA("MPR.DLL");
    if (library == nullptr)
        return 0;
    const auto change = LookUp<PwdChangePasswordEntry>(library, "PwdChangePasswordA");
    if (change != nullptr)
        change("SCRSAVE", owner, 0, nullptr);
    FreeLibrary(library);
    return 0;
}
