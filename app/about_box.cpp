// The About box: name, version and picture, all from template 139.
#include <windows.h>

#include "app/about_box.h"
#include "res/resource.h"
#include "win/modal_ui.h"

namespace {

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        // Escape sends IDCANCEL, which does not close the box: only OK and
        // the close box do.
        if (LOWORD(wParam) == IDOK)
            EndDialog(dialog, 0);
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(dialog, &paint);
        EndPaint(dialog, &paint);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

} // namespace

void ShowAboutBox(HWND owner)
{
    RunDialog(owner, IDD_ABOUT, AboutBoxProc);
}
