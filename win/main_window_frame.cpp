#include "win/main_window_frame.h"

#include <algorithm>

HWND MainWindow = nullptr;

namespace {

int CentredOffset(int start, int room, int size)
{
    return start + std::max(0, (room - size) / 2);
}

RECT PrimaryWorkArea()
{
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

// The work area of the monitor the main window is on (where a hidden or
// minimised one is shown again), and that monitor's whole area.
RECT MainWindowWorkArea(RECT* monitorArea = nullptr)
{
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    HMONITOR found = MainWindow != nullptr ? MonitorFromWindow(MainWindow, MONITOR_DEFAULTTOPRIMARY) : nullptr;
    if (found == nullptr || !GetMonitorInfoA(found, &monitor)) {
        RECT work = PrimaryWorkArea();
        if (monitorArea != nullptr)
            *monitorArea = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        return work;
    }
    if (monitorArea != nullptr)
        *monitorArea = monitor.rcMonitor;
    // The primary monitor's as the system gives it (the same on Windows;
    // Wine keeps what SPI_SETWORKAREA sets there only).
    return (monitor.dwFlags & MONITORINFOF_PRIMARY) != 0 ? PrimaryWorkArea() : monitor.rcWork;
}

// The main window's size when shown, its frame's size, and whether it is
// shown now.
struct MainFrame {
    WINDOWPLACEMENT placement = {};
    SIZE frame = {};   // what the frame adds to the client area
    bool shown = false;
};

MainFrame MeasureMainFrame()
{
    MainFrame measured;
    // The window is minimised and hidden until the user opens it: its size
    // when shown lies in its placement, not in its current rectangle.
    measured.placement.length = sizeof measured.placement;
    GetWindowPlacement(MainWindow, &measured.placement);
    RECT window, client;
    measured.shown = IsWindowVisible(MainWindow) && !IsIconic(MainWindow) && GetWindowRect(MainWindow, &window) &&
                     GetClientRect(MainWindow, &client);
    if (measured.shown) {
        // Its own frame, as wide as its monitor's scale makes it.
        measured.frame = {(window.right - window.left) - client.right, (window.bottom - window.top) - client.bottom};
        measured.placement.rcNormalPosition = window;
        return measured;
    }
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(MainWindow, GWL_STYLE)), TRUE,
                       static_cast<DWORD>(GetWindowLongPtrA(MainWindow, GWL_EXSTYLE)));
    measured.frame = {frame.right - frame.left, frame.bottom - frame.top};
    // A placement is in workspace coordinates: from the work area's corner.
    RECT monitor;
    RECT work = MainWindowWorkArea(&monitor);
    OffsetRect(&measured.placement.rcNormalPosition, work.left - monitor.left, work.top - monitor.top);
    return measured;
}

} // namespace

int CentredX(int width)
{
    RECT work = PrimaryWorkArea();
    return CentredOffset(work.left, work.right - work.left, width);
}

int CentredY(int height)
{
    RECT work = PrimaryWorkArea();
    return CentredOffset(work.top, work.bottom - work.top, height);
}

SIZE LargestMainClient()
{
    MainFrame measured = MeasureMainFrame();
    RECT work = MainWindowWorkArea();
    return {work.right - work.left - measured.frame.cx, work.bottom - work.top - measured.frame.cy};
}

void FitMainWindowToContent(int width, int height, WindowFit fit)
{
    MainFrame measured = MeasureMainFrame();
    const RECT& normal = measured.placement.rcNormalPosition;
    int frameWidth = std::max<int>(normal.right - normal.left, width + measured.frame.cx);
    int frameHeight = std::max<int>(normal.bottom - normal.top, height + measured.frame.cy);
    // Never past the work area: the taskbar would cover what is below it.
    RECT monitor;
    RECT work = MainWindowWorkArea(&monitor);
    frameWidth = std::min<int>(frameWidth, work.right - work.left);
    frameHeight = std::min<int>(frameHeight, work.bottom - work.top);
    POINT corner = {CentredOffset(work.left, work.right - work.left, frameWidth),
                    CentredOffset(work.top, work.bottom - work.top, frameHeight)};
    if (fit == WindowFit::InPlace) {
        corner.x = std::clamp<int>(normal.left, work.left, work.right - frameWidth);
        corner.y = std::clamp<int>(normal.top, work.top, work.bottom - frameHeight);
    }
    RECT wanted = {corner.x, corner.y, corner.x + frameWidth, corner.y + frameHeight};
    if (EqualRect(&wanted, &normal))
        return;
    if (measured.shown) {
        SetWindowPos(MainWindow, nullptr, corner.x, corner.y, frameWidth, frameHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    // Back to workspace coordinates.
    OffsetRect(&wanted, monitor.left - work.left, monitor.top - work.top);
    measured.placement.rcNormalPosition = wanted;
    if (!IsWindowVisible(MainWindow))
        measured.placement.showCmd = SW_HIDE;
    SetWindowPlacement(MainWindow, &measured.placement);
}
