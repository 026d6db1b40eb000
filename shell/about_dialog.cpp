#include "shell/about_dialog.hpp"

#include "resources/resource_ids.h"
#include "shell/saver_window.hpp"

namespace {

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

} // namespace

int RunConfigure(HWND owner)
{
    return static_cast<int>(DialogBoxParamA(saverInstance, MAKEINTRESOURCEA(aboutDialogId), owner, AboutDialogProc, 0));
}
