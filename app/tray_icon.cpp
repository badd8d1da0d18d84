// The notification-area icon: wanted from the first login until exit, added
// again when the shell restarts, and tried again for a while when the shell
// is not ready (a program in the Startup folder may start before the
// taskbar does).
#include <windows.h>
#include <shellapi.h>

#include "app/app_icons.h"
#include "app/tray_icon.h"
#include "win/main_window_frame.h"
#include "win/notices.h"
#include "win/platform_calls.h"

NOTIFYICONDATAA TrayIconData = {};

namespace {

constexpr UINT_PTR IconRetryTimerId = 2;
constexpr UINT IconRetryPeriodMs = 2000;
constexpr int IconRetryCount = 30;   // a minute; TaskbarCreated covers a later shell

bool IconWanted = false;
bool IconShown = false;
// An add reported failure. A shell busy past its time-out reports it and adds
// the icon all the same; every later add then fails, so a retry asks first
// whether the icon is there: only a modify of an icon the shell has succeeds.
bool AddFailed = false;
bool RetryTimerSet = false;
int AttemptsLeft = 0;

// Notices are shown as balloons on the icon; TrayIconData keeps the
// shortest form of the record, so a balloon needs a full record of its own.
// Windows 10 and 11 show them as notifications, with Kivora's icon where a
// notification shows its program's.
bool ShowBalloon(const char* title, const char* text)
{
    static const HICON icon = LoadBalloonIcon(GetModuleHandleA(nullptr));
    NOTIFYICONDATAA balloon = {};
    balloon.cbSize = sizeof balloon;
    balloon.hWnd = TrayIconData.hWnd;
    balloon.uID = TrayIconData.uID;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = icon != nullptr ? NIIF_USER | NIIF_LARGE_ICON : NIIF_WARNING;
    balloon.hBalloonIcon = icon;
    lstrcpynA(balloon.szInfoTitle, title, sizeof balloon.szInfoTitle);
    lstrcpynA(balloon.szInfo, text, sizeof balloon.szInfo);
    return Platform.notifyIcon(NIM_MODIFY, &balloon) != FALSE;
}

void StopRetrying()
{
    if (RetryTimerSet)
        Platform.killTimer(MainWindow, IconRetryTimerId);
    RetryTimerSet = false;
}

void TryToAddIcon()
{
    if (!IconWanted || IconShown)
        return;
    IconShown = (AddFailed && Platform.notifyIcon(NIM_MODIFY, &TrayIconData) != FALSE) ||
                Platform.notifyIcon(NIM_ADD, &TrayIconData) != FALSE;
    AddFailed = !IconShown;
    if (!IconShown)
        return;
    StopRetrying();
    SetNoticeBalloon(ShowBalloon);
}

void CALLBACK RetryAddingIcon(HWND, UINT, UINT_PTR, DWORD)
{
    TryToAddIcon();
    if (IconShown || --AttemptsLeft <= 0)
        StopRetrying();
}

// After a failed add: a round of tries every few seconds. If the timer
// itself cannot be set, TaskbarCreated is the way back.
void AddOrRetry()
{
    TryToAddIcon();
    if (!IconWanted || IconShown || RetryTimerSet)
        return;
    AttemptsLeft = IconRetryCount;
    RetryTimerSet = Platform.setTimer(MainWindow, IconRetryTimerId, IconRetryPeriodMs, RetryAddingIcon) != 0;
}

} // namespace

void AddTrayIcon()
{
    IconWanted = true;
    AddOrRetry();
}

void RemoveTrayIcon()
{
    StopRetrying();
    // After a failed add the icon may be there all the same: no ghost is left.
    if (IconShown || AddFailed)
        Platform.notifyIcon(NIM_DELETE, &TrayIconData);
    IconShown = false;
    AddFailed = false;
    IconWanted = false;
    SetNoticeBalloon(nullptr);
}

void RestoreTrayIcon()
{
    // The shell has restarted and forgotten every icon; before the first
    // login there is none to bring back.
    IconShown = false;
    AddFailed = false;
    SetNoticeBalloon(nullptr);
    StopRetrying();
    AddOrRetry();
}

bool TrayIconShown() { return IconShown; }

bool TrayIconWanted() { return IconWanted; }

void UpdateTrayIcon()
{
    if (IconShown)
        Platform.notifyIcon(NIM_MODIFY, &TrayIconData);
}
