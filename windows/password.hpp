// Windows 9x screen-saver password: the system's provider, the system's
// screen-saver-running state, the close decision with its 200 ms guard, and
// the password-change mode. Nothing here runs on the NT family.
#pragma once

#include <windows.h>

using VerifyScreenSavePwdEntry = BOOL(WINAPI*)(HWND window);

extern VerifyScreenSavePwdEntry verifyPasswordEntry;
extern BOOL closeGranted; // the saver window may close; stays so
extern BOOL passwordCheckActive; // the password dialog is up

constexpr UINT verifyRequest = WM_APP;

void LoadPasswordProvider();
void UnloadPasswordProvider();
void SetSaverRunning(BOOL running);
BOOL VerifyCloseRequest(HWND window);
int RunPasswordChange(const char* text);
