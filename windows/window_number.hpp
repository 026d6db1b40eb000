// Window numbers from the command line (preview parent, dialog owner).
#pragma once

#include <windows.h>

#include "windows/command_line.hpp"

inline HWND WindowFromNumber(const char* text)
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(ParseWindowNumber(text)));
}

// A number that is 0 or no window falls back to the foreground window.
inline HWND OwnerFromNumber(const char* text)
{
    HWND owner = WindowFromNumber(text);
    return owner != nullptr && IsWindow(owner) ? owner : GetForegroundWindow();
}
