// The About box: name, version and picture, all from template 139.
#include <windows.h>

#include "app/about_box.h"
#include "res/resource.h"
#include "win/modal_ui.h"
#include "win/screen_scale.h"

namespace {

constexpr int PictureSize = 48;   // the bitmap's, at 100 %

// At a larger scale the 48-pixel bitmap would stay small beside texts drawn
// larger: the same picture, Kivora's icon, drawn at the scale's size from
// its own larger image, on the dialog's colour as the bitmap has it.
HBITMAP ScaledPicture(HWND dialog)
{
    int size = MulDiv(PictureSize, static_cast<int>(WindowDpi(dialog)), DefaultDpi);
    if (size <= PictureSize)
        return nullptr;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    HICON icon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_KIVORA), IMAGE_ICON, size, size, 0));
    if (icon == nullptr)
        return nullptr;
    HDC screen = GetDC(dialog);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, size, size);
    ReleaseDC(dialog, screen);
    if (dc != nullptr && picture != nullptr) {
        HGDIOBJ previous = SelectObject(dc, picture);
        RECT area = {0, 0, size, size};
        FillRect(dc, &area, GetSysColorBrush(COLOR_3DFACE));
        DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        SelectObject(dc, previous);
    }
    if (dc != nullptr)
        DeleteDC(dc);
    DestroyIcon(icon);
    return picture;
}

// The picture control: the only one of the template that shows a bitmap.
HWND PictureControl(HWND dialog)
{
    for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
        if ((GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            return control;
    }
    return nullptr;
}

void OnInitDialog(HWND dialog)
{
    HWND control = PictureControl(dialog);
    HBITMAP picture = control != nullptr ? ScaledPicture(dialog) : nullptr;
    if (picture == nullptr)
        return;
    // The control lets go of the template's bitmap, and never frees the one
    // it is given: this one is freed when the box closes.
    HGDIOBJ replaced = reinterpret_cast<HGDIOBJ>(
        SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
    if (replaced != nullptr && replaced != picture)
        DeleteObject(replaced);
    SetPropA(dialog, "KivoraPicture", picture);
}

void OnDestroy(HWND dialog)
{
    if (HANDLE picture = RemovePropA(dialog, "KivoraPicture"))
        DeleteObject(picture);
}

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
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
    case WM_DESTROY:
        OnDestroy(dialog);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

void ShowAboutBox(HWND owner)
{
    RunDialog(owner, IDD_ABOUT, AboutBoxProc);
}
