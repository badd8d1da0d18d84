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

void FitMainWindowToContent(int width, int height)
{
    // The window is minimised and hidden until the user opens it: its size
    // when shown lies in its placement, not in its current rectangle.
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(MainWindow, &placement);
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(MainWindow, GWL_STYLE)), TRUE,
                       static_cast<DWORD>(GetWindowLongPtrA(MainWindow, GWL_EXSTYLE)));
    const RECT& normal = placement.rcNormalPosition;
    int frameWidth = normal.right - normal.left;
    int frameHeight = normal.bottom - normal.top;
    int clientWidth = frameWidth - (frame.right - frame.left);
    int clientHeight = frameHeight - (frame.bottom - frame.top);
    if (width <= clientWidth && height <= clientHeight)
        return;
    frameWidth += width > clientWidth ? width - clientWidth : 0;
    frameHeight += height > clientHeight ? height - clientHeight : 0;
    placement.rcNormalPosition = {CentredX(frameWidth), CentredY(frameHeight), CentredX(frameWidth) + frameWidth,
                                  CentredY(frameHeight) + frameHeight};
    if (!IsWindowVisible(MainWindow))
        placement.showCmd = SW_HIDE;
    SetWindowPlacement(MainWindow, &placement);
}

