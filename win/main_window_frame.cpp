#include "win/main_window_frame.h"

HWND MainWindow = nullptr;

namespace {

int CentredOffset(int screen, int window)
{
    int offset = (screen - window) / 2;
    return offset < 0 ? 0 : offset;
}

} // namespace

int CentredX(int width) { return CentredOffset(GetSystemMetrics(SM_CXSCREEN), width); }
int CentredY(int height) { return CentredOffset(GetSystemMetrics(SM_CYSCREEN), height); }

void FitMainWindowToContent(int width, int height, WindowFit fit)
{
    // The window is minimised and hidden until the user opens it: its size
    // when shown lies in its placement, not in its current rectangle.
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(MainWindow, &placement);
    RECT frame = {0, 0, 0, 0};
    RECT window, client;
    bool shown = IsWindowVisible(MainWindow) && !IsIconic(MainWindow) && GetWindowRect(MainWindow, &window) &&
                 GetClientRect(MainWindow, &client);
    if (shown) {
        // Its own frame, as wide as its monitor's scale makes it.
        frame = {0, 0, (window.right - window.left) - client.right, (window.bottom - window.top) - client.bottom};
        placement.rcNormalPosition = window;
    } else {
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(MainWindow, GWL_STYLE)), TRUE,
                           static_cast<DWORD>(GetWindowLongPtrA(MainWindow, GWL_EXSTYLE)));
    }
    const RECT& normal = placement.rcNormalPosition;
    int frameWidth = normal.right - normal.left;
    int frameHeight = normal.bottom - normal.top;
    int clientWidth = frameWidth - (frame.right - frame.left);
    int clientHeight = frameHeight - (frame.bottom - frame.top);
    if (width <= clientWidth && height <= clientHeight)
        return;
    frameWidth += width > clientWidth ? width - clientWidth : 0;
    frameHeight += height > clientHeight ? height - clientHeight : 0;
    POINT corner = {normal.left, normal.top};
    if (fit == WindowFit::Centred)
        corner = {CentredX(frameWidth), CentredY(frameHeight)};
    if (shown) {
        SetWindowPos(MainWindow, nullptr, corner.x, corner.y, frameWidth, frameHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    placement.rcNormalPosition = {corner.x, corner.y, corner.x + frameWidth, corner.y + frameHeight};
    if (!IsWindowVisible(MainWindow))
        placement.showCmd = SW_HIDE;
    SetWindowPlacement(MainWindow, &placement);
}
