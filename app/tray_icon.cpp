// The notification-area icon: wanted from the first login until exit, added
// again when the shell restarts, and tried again for a while when the shell
// is not ready (a program in the Startup folder may start before the
// taskbar does).
#include <windows.h>
#include <shellapi.h>

#include "app/app.h"

PlatformCalls Platform;

namespace {

constexpr UINT_PTR IconRetryTimerId = 2;
constexpr UINT IconRetryPeriodMs = 2000;
constexpr int IconRetryCount = 30;   // a minute; TaskbarCreated covers a later shell

bool IconWanted = false;
bool IconShown = false;
bool RetryTimerSet = false;
int AttemptsLeft = 0;

struct NoticeState {
    const char* title;
    const char* text;
    bool failing = false;   // in a run of failures, told (or to be told) once
    bool pending = false;   // not told yet: the icon was not there
};

NoticeState Notices[] = {
    {"Kivora: 保存できませんでした",
     "打鍵数をデータファイルに保存できませんでした。"
     "ディスクの空きと、ファイルが読み取り専用でないかを確かめてください。"
     "打鍵数はメモリーに残っており、1分ごとに保存をやり直します。"},
    {"Kivora: 時計を開始できませんでした",
     "稼動時間の時計（1秒ごとのタイマー）を開始できませんでした。"
     "稼動時間が進まず、1分ごとの保存も行われません。"
     "打鍵数は数え続けており、時計の開始をやり直しています。"},
    {"Kivora: 日ごとの記録を保存できません",
     "日ごとの記録ファイル（data フォルダーの *.history.csv）を読み書きできませんでした。"
     "ファイルには手を触れず、打鍵数の数えとデータファイルへの保存は続けます。"},
};

void ShowBalloon(NoticeState& notice)
{
    // The balloon needs the full record; TrayIconData keeps the shortest form.
    NOTIFYICONDATAA balloon = {};
    balloon.cbSize = sizeof balloon;
    balloon.hWnd = TrayIconData.hWnd;
    balloon.uID = TrayIconData.uID;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = NIIF_WARNING;
    lstrcpynA(balloon.szInfoTitle, notice.title, sizeof balloon.szInfoTitle);
    lstrcpynA(balloon.szInfo, notice.text, sizeof balloon.szInfo);
    notice.pending = Platform.notifyIcon(NIM_MODIFY, &balloon) == FALSE;
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
    IconShown = Platform.notifyIcon(NIM_ADD, &TrayIconData) != FALSE;
    if (!IconShown)
        return;
    StopRetrying();
    for (NoticeState& notice : Notices) {
        if (notice.pending)
            ShowBalloon(notice);
    }
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
    if (IconShown)
        Platform.notifyIcon(NIM_DELETE, &TrayIconData);
    IconShown = false;
    IconWanted = false;
}

void RestoreTrayIcon()
{
    // The shell has restarted and forgotten every icon; before the first
    // login there is none to bring back.
    IconShown = false;
    StopRetrying();
    AddOrRetry();
}

bool TrayIconShown() { return IconShown; }

void UpdateTrayIcon()
{
    if (IconShown)
        Platform.notifyIcon(NIM_MODIFY, &TrayIconData);
}

void NoteOutcome(Notice kind, bool succeeded)
{
    NoticeState& notice = Notices[static_cast<int>(kind)];
    if (succeeded) {
        notice.failing = false;
        notice.pending = false;
        return;
    }
    if (notice.failing)
        return;   // told once per run of failures, not every minute
    notice.failing = true;
    notice.pending = true;
    if (IconShown)
        ShowBalloon(notice);
}

void NoteSaveResult(bool saved) { NoteOutcome(Notice::SaveFailed, saved); }
