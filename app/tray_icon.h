#pragma once
// The notification-area icon. Wanted from the first login until exit: an add
// that fails (the shell is not up yet) is tried again every few seconds for a
// minute, and again whenever the shell announces a new taskbar. Notices
// (win/notices.h) are shown on it as balloons.
#include <windows.h>
#include <shellapi.h>

// The icon record, filled once at start-up.
extern NOTIFYICONDATAA TrayIconData;
constexpr UINT TrayMessage = WM_USER + 100;

void AddTrayIcon();
void RemoveTrayIcon();
void RestoreTrayIcon();   // the shell has restarted
bool TrayIconShown();
// From the first login until exit: Kivora is in the notification area.
bool TrayIconWanted();
// Shows TrayIconData's icon and tip again after they have changed.
void UpdateTrayIcon();
