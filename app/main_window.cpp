// The main window: hub of the menus, the accelerators and the notification-
// area icon. It paints nothing itself; its children show the counts.
#include <windows.h>

#include "app/app.h"
#include "capture/key_poll_thread.h"
#include "clock/uptime_clock_tick.h"
#include "options/options.h"
#include "res/resource.h"
#include "store/user_data.h"
#include "users/users.h"

std::atomic<LONG> RunFlag{1};

namespace {

HMENU TrayMenu = nullptr;
HANDLE PollingThread = nullptr;
UINT TaskbarCreatedMessage = 0;

bool CreatePollingThread()
{
    RunFlag = 1;
    PollingThread = CreateThread(nullptr, 0, KeyPollThread, nullptr, 0, nullptr);
    if (PollingThread != nullptr)
        return true;
    MessageBoxA(MainWindow, "スレッドが作成できませんでした", "Error", MB_OK);
    return false;
}

// Saves now; a failure is shown on the icon, and the next save tries again.
void SaveCounts()
{
    NoteSaveResult(SaveUserData() == 0);
}

void LogOff(HWND window)
{
    ReloginFlag = 1;
    SaveCounts();
    StopCounting();
    ShowLoginDialog(window);
    InvalidateRect(window, nullptr, FALSE);
    StartCounting();
}

void Reset(HWND window)
{
    StopCounting();
    if (MessageBoxA(window, "全ての値が0になりますがよろしいですか？", "注意", MB_YESNO) == IDYES) {
        ResetMode = 1;
        ResetUserData(window);
    }
    StartCounting();
}

void Quit(HWND window, HMENU menu)
{
    SaveCounts();
    RemoveTrayIcon();
    KillTimer(window, ClockTimerId);
    DestroyMenu(menu);
    PostQuitMessage(0);
}

// Counting stands still while a modal dialog that a command opens is up.
template <typename ShowDialog>
void WithCountingStopped(ShowDialog showDialog)
{
    StopCounting();
    showDialog();
    StartCounting();
}

void OnCommand(HWND window, int command)
{
    switch (command) {
    case IDM_LOG_OFF:
    case IDM_TRAY_LOG_OFF:
    case IDM_ACCEL_LOG_OFF:
        LogOff(window);
        break;
    case IDM_RESET:
    case IDM_ACCEL_RESET:
        Reset(window);
        break;
    case IDM_OPTIONS:
        WithCountingStopped([window] { ShowOptionsDialog(window); });
        break;
    case IDM_ABOUT:
        WithCountingStopped([window] { ShowAboutBox(window); });
        break;
    case IDM_OPEN:
        ShowWindow(window, SW_SHOWNORMAL);
        break;
    case IDM_EXIT:
        Quit(window, GetMenu(window));
        break;
    case IDM_TRAY_EXIT:
        Quit(window, TrayMenu);
        break;
    default:   // Ctrl+Q and Alt+Enter do nothing
        break;
    }
}

void OnTrayMessage(HWND window, LPARAM mouseMessage)
{
    POINT cursor;
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        GetCursorPos(&cursor);
        SetForegroundWindow(window);
        ShowWindow(window, SW_SHOWNORMAL);
        break;
    case WM_RBUTTONUP:
        GetCursorPos(&cursor);
        // The window must be in the foreground, or the menu does not close
        // when the user clicks elsewhere.
        SetForegroundWindow(window);
        TrackPopupMenu(GetSubMenu(TrayMenu, 0), TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, window, nullptr);
        PostMessageA(window, WM_NULL, 0, 0);
        break;
    default:
        break;
    }
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
}

} // namespace

void InvalidateArea(HWND window, const PixelRect& rect)
{
    if (rect.IsEmpty())
        return;
    RECT area = {rect.left, rect.top, rect.right, rect.bottom};
    InvalidateRect(window, &area, FALSE);
}

void StopCounting()
{
    KillTimer(MainWindow, ClockTimerId);
    RunFlag = 0;
    if (PollingThread != nullptr) {
        WaitForSingleObject(PollingThread, INFINITE);
        CloseHandle(PollingThread);
        PollingThread = nullptr;
    }
}

void StartCounting()
{
    if (!CreatePollingThread()) {
        // Nothing could be counted any more: end rather than run on unseen.
        RemoveTrayIcon();
        DestroyWindow(MainWindow);
        PostQuitMessage(1);
        return;
    }
    SetTimer(MainWindow, ClockTimerId, ClockPeriodMs, UptimeClockTick);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        // The thread invalidates this window before CreateWindowEx returns.
        MainWindow = window;
        TaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
        if (!CreatePollingThread())
            return -1;
        TrayMenu = LoadMenuA(reinterpret_cast<LPCREATESTRUCTA>(lParam)->hInstance,
                             MAKEINTRESOURCEA(IDR_TRAY_MENU));
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_CLOSE:
        // Closing only hides: the program lives on in the notification area.
        ShowWindow(window, SW_MINIMIZE);
        ShowWindow(window, SW_HIDE);
        return 0;
    case WM_DESTROY:
        return 0;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam));
        return 0;
    case TrayMessage:
        OnTrayMessage(window, lParam);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // Windows ends the process soon after this returns: save now.
        if (wParam)
            SaveCounts();
        return 0;
    default:
        if (message == TaskbarCreatedMessage && message != 0) {
            // The shell has restarted and forgotten every icon.
            RestoreTrayIcon();
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
