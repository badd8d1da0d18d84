// The notification-area icon: added at the first login, removed at exit, and
// added again when the shell restarts.
#include <windows.h>
#include <shellapi.h>

#include "app/app.h"

namespace {

bool IconShown = false;
bool SaveFailing = false;

} // namespace

void AddTrayIcon()
{
    IconShown = Shell_NotifyIconA(NIM_ADD, &TrayIconData) != FALSE;
}

void RemoveTrayIcon()
{
    if (IconShown)
        Shell_NotifyIconA(NIM_DELETE, &TrayIconData);
    IconShown = false;
}

void RestoreTrayIcon()
{
    // Only an icon that was shown comes back; before the first login there is none.
    if (IconShown)
        Shell_NotifyIconA(NIM_ADD, &TrayIconData);
}

void NoteSaveResult(bool saved)
{
    if (saved) {
        SaveFailing = false;
        return;
    }
    if (SaveFailing)
        return;   // told once per run of failures, not every minute
    SaveFailing = true;
    if (!IconShown)
        return;

    // The balloon needs the full record; TrayIconData keeps the shortest form.
    NOTIFYICONDATAA balloon = {};
    balloon.cbSize = sizeof balloon;
    balloon.hWnd = TrayIconData.hWnd;
    balloon.uID = TrayIconData.uID;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = NIIF_WARNING;
    lstrcpynA(balloon.szInfoTitle, "Kivora: 保存できませんでした", sizeof balloon.szInfoTitle);
    lstrcpynA(balloon.szInfo,
              "打鍵数をデータファイルに保存できませんでした。"
              "ディスクの空きと、ファイルが読み取り専用でないかを確かめてください。"
              "打鍵数はメモリーに残っており、1分ごとに保存をやり直します。",
              sizeof balloon.szInfo);
    Shell_NotifyIconA(NIM_MODIFY, &balloon);
}
