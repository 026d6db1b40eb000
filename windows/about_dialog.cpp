#include "windows/about_dialog.hpp"

#include <shellapi.h>

#include "resources/resource_ids.h"
#include "windows/saver_window.hpp"

namespace {

// cp932: the series title and the katakana middle dot, then the (empty) rest.
constexpr char captionFormat[] = "Pellucine\x81\x45%s";

void SetCaption(HWND dialog)
{
    char caption[64];
    wsprintfA(caption, captionFormat, "");
    SetWindowTextA(dialog, caption);
}

void OpenWebAddress(HWND dialog)
{
    SHELLEXECUTEINFOA request {};
    static_assert(sizeof(void*) != 4 || sizeof request == 60);
    request.cbSize = sizeof request;
    request.hwnd = dialog;
    request.lpFile = webAddress;
    request.nShow = SW_SHOWNORMAL;
    ShellExecuteExA(&request);
}

} // namespace

BOOL WINAPI RegisterDialogClassesHook(HINSTANCE)
{
    return TRUE;
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        SetCaption(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
    case IDCANCEL:
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    case connectButtonId:
        OpenWebAddress(dialog);
        return FALSE;
    default:
        return FALSE;
    }
}

int RunConfigure(HWND owner)
{
    if (!RegisterDialogClassesHook(saverInstance))
        return 0;
    return static_cast<int>(DialogBoxParamA(saverInstance, MAKEINTRESOURCEA(aboutDialogId), owner, AboutDialogProc, 0));
}
