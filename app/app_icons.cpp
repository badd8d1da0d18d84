#include "app/app_icons.h"

#include <commctrl.h>

#include "res/resource.h"
#include "win/screen_scale.h"

namespace {

char WindowIconFile[MAX_PATH] = "icon6.ico";

HICON LoadIconOfMetric(HINSTANCE instance, int iconId, int metric)
{
    HICON icon = nullptr;
    if (SUCCEEDED(LoadIconMetric(instance, MAKEINTRESOURCEW(iconId), metric, &icon)))
        return icon;
    int side = GetSystemMetrics(metric == LIM_SMALL ? SM_CXSMICON : SM_CXICON);
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON, side, side, 0));
}

// Sets one of the window's icons, destroying the one it replaces: every
// icon set here was loaded here, none is shared.
void ReplaceIcon(HWND window, WPARAM which, HICON icon)
{
    if (icon == nullptr)
        return;
    auto previous = reinterpret_cast<HICON>(SendMessageA(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon)));
    if (previous != nullptr && previous != icon)
        DestroyIcon(previous);
}

} // namespace

HICON LoadTrayIcon(HINSTANCE instance, int iconId) { return LoadIconOfMetric(instance, iconId, LIM_SMALL); }

HICON LoadBalloonIcon(HINSTANCE instance) { return LoadIconOfMetric(instance, IDI_KIVORA, LIM_LARGE); }

void NoteWindowIconFile()
{
    char path[MAX_PATH];
    DWORD length = GetFullPathNameA("icon6.ico", MAX_PATH, path, nullptr);
    if (length > 0 && length < MAX_PATH)
        lstrcpynA(WindowIconFile, path, MAX_PATH);
}

void SetWindowIcons(HWND window, UINT dpi)
{
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    int smallSide = MetricForDpi(SM_CXSMICON, dpi);
    int largeSide = MetricForDpi(SM_CXICON, dpi);
    HANDLE smallIcon = LoadImageA(instance, MAKEINTRESOURCEA(IDI_KIVORA), IMAGE_ICON, smallSide, smallSide, 0);
    HANDLE largeIcon = LoadImageA(nullptr, WindowIconFile, IMAGE_ICON, largeSide, largeSide, LR_LOADFROMFILE);
    ReplaceIcon(window, ICON_SMALL, static_cast<HICON>(smallIcon));
    ReplaceIcon(window, ICON_BIG, static_cast<HICON>(largeIcon));
}
