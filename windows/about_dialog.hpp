// Configure mode: the saver has no settings, so it shows its about dialog,
// whose connect button opens the maker's web address.
#pragma once

#include <windows.h>

// The dialog's result: 1 after OK, 2 after cancel, -1 when it cannot be made,
// 0 when the class hook fails.
int RunConfigure(HWND owner);
// Where a saver registers the classes its dialog needs; this one needs none.
BOOL WINAPI RegisterDialogClassesHook(HINSTANCE instance);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
