// The main window: hub of the menus, the accelerators and the notification-
// area icon. It paints nothing itself; its children show the counts.
#include <windows.h>

#include "app/about_box.h"
#include "app/app_icons.h"
#include "app/main_window.h"
#include "app/save_question.h"
#include "app/tray_icon.h"
#include "capture/key_poll_thread.h"
#include "capture/shortcut_names.h"
#include "clock/uptime_clock_tick.h"
#include "export/export_file.h"
#include "login/login_dialog.h"
#include "login/new_user_dialog.h"
#include "options/options_dialog.h"
#include "programs/foreground_windows.h"
#include "res/resource.h"
#include "stats/stats_window.h"
#include "store/program_strokes.h"
#include "store/user_data.h"
#include "store/user_record.h"
#include "store/user_days.h"
#include "sync/pc_sharing.h"
#include "users/user_list.h"
#include "win/app_text.h"
#include "win/main_window_frame.h"
#include "win/modal_ui.h"
#include "win/notices.h"
#include "win/platform_calls.h"

namespace {

// After each pass the polling thread zeroes a just-registered user's counts
// once more, when the first lowercase letter is counted; the strokes of a
// pass go to the foreground program while those are recorded.
void CountShortcut(uint8_t held, uint8_t virtualKey)
{
    const std::string name = ShortcutName(held, virtualKey);
    if (!name.empty())
        AddShortcutStrokes(name, 1);
}

const PollChores Chores = {RunRegistrationCheck, GiveStrokesToForeground, CountShortcut};
// A benchmark's comparison only (bench/README.md): the keys counted as
// before the shortcuts and the minutes and hours were, in the same build.
const PollChores PlainChores = {RunRegistrationCheck, GiveStrokesToForeground, nullptr};

bool PlainCountingForBenchmark()
{
    char value[2] = {};
    return GetEnvironmentVariableA("KIVORA_BENCH_PLAIN", value, sizeof value) == 1 && value[0] == '1';
}

HMENU TrayMenu = nullptr;
HANDLE PollingThread = nullptr;
UINT TaskbarCreatedMessage = 0;
// Counting stopped by the user from the icon's menu; a new start always counts.
bool Paused = false;
HICON RunningIcon = nullptr;
HICON PausedIcon = nullptr;
// A scale that the windows inside are still to be laid out at: Windows
// moved the main window while a dialog was up, whose code may still be
// running in a page that laying out again would replace.
UINT PendingLayoutDpi = 0;
constexpr UINT_PTR LayoutRetryTimerId = 3;
constexpr UINT LayoutRetryPeriodMs = 250;

bool CreatePollingThread()
{
    RunFlag = 1;
    const bool plain = PlainCountingForBenchmark();
    TypingTimeLooked = !plain;
    const PollChores* chores = plain ? &PlainChores : &Chores;
    PollingThread = Platform.createThread(nullptr, 0, KeyPollThread, const_cast<PollChores*>(chores), 0, nullptr);
    if (PollingThread != nullptr)
        return true;
    ShowMessage(MainWindow, "スレッドが作成できませんでした", "Error", MB_OK);
    return false;
}

// Saves now; a failure is shown on the icon, and the next save tries again.
// Before the end, every day goes into the history.
void SaveCounts(SaveKind kind)
{
    NoteSaveResult(SaveUserData(kind) == 0);
}

void LogOff(HWND window)
{
    if (!SaveBeforeLeaving(window, Leaving::LogOff))
        return;
    ReloginFlag = 1;
    StopCounting();
    ShowLoginDialog(window);
    InvalidateRect(window, nullptr, FALSE);
    StartCounting();
}

void Reset(HWND window)
{
    StopCounting();
    if (ShowMessage(window, "全ての値が0になりますがよろしいですか？", "注意", MB_YESNO) == IDYES) {
        ResetMode = 1;
        ResetUserData(window);
    }
    StartCounting();
}

void Quit(HWND window, HMENU menu)
{
    if (!SaveBeforeLeaving(window, Leaving::Exit))
        return;
    RemoveTrayIcon();
    StopClock();
    DestroyMenu(menu);
    PostQuitMessage(0);
}

// Pause stops counting and the clock, as a dialog does, until chosen again;
// the icon and its tip say so meanwhile.
void TogglePause(HWND window)
{
    Paused = !Paused;
    if (Paused) {
        // A pause may last long, and the program may end during it without a
        // save: keep what was counted up to it.
        StopCounting();
        SaveCounts(SaveKind::Minute);
    } else {
        StartCounting();
    }
    CheckMenuItem(TrayMenu, IDM_PAUSE, MF_BYCOMMAND | (Paused ? MF_CHECKED : MF_UNCHECKED));
    if (RunningIcon == nullptr) {
        RunningIcon = TrayIconData.hIcon;
        PausedIcon = LoadTrayIcon(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)),
                                  IDI_KIVORA_PAUSED);
    }
    TrayIconData.hIcon = Paused && PausedIcon != nullptr ? PausedIcon : RunningIcon;
    lstrcpynA(TrayIconData.szTip, Paused ? AppText::PausedTip : AppText::TrayTip, sizeof TrayIconData.szTip);
    UpdateTrayIcon();
}

// Counting stands still while a modal dialog that a command opens is up.
template <typename ShowDialog>
void WithCountingStopped(ShowDialog showDialog)
{
    StopCounting();
    showDialog();
    StartCounting();
}

// The record of the programs deleted, and with a shared folder this PC's
// copy of it there too, by the worker at once rather than at the next save.
bool ForgetProgramsHereAndInTheFolder()
{
    if (!ForgetProgramStrokes())
        return false;
    FollowUserFilesNow();
    return true;
}

void OnCommand(HWND window, int command)
{
    // A command reaches here from the main message loop only: one that
    // arrives inside a modal loop (a click posted before the box came up)
    // would run nested in the command that opened it.
    if (ModalUiUp()) {
        BringModalUiToFront();
        return;
    }
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
        WithCountingStopped([window] {
            if (ShowOptionsDialog(window, ForgetProgramsHereAndInTheFolder))
                FollowUserFilesNow();   // this PC's files into the new folder, the others' read from it
        });
        break;
    case IDM_ABOUT:
        WithCountingStopped([window] { ShowAboutBox(window); });
        break;
    case IDM_EXPORT:
        WithCountingStopped([window] { ExportFromWindow(window); });
        break;
    case IDM_PAUSE:
        TogglePause(window);
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
    if (mouseMessage != WM_LBUTTONDOWN && mouseMessage != WM_RBUTTONUP)
        return;
    // The icon answers inside any modal loop of ours: it must not open the
    // window or a menu over a dialog that waits for the user.
    if (ModalUiUp()) {
        BringModalUiToFront();
        return;
    }
    POINT cursor;
    GetCursorPos(&cursor);
    // The window must be in the foreground, or the menu does not close
    // when the user clicks elsewhere.
    SetForegroundWindow(window);
    if (mouseMessage == WM_LBUTTONDOWN) {
        ShowWindow(window, SW_SHOWNORMAL);
        return;
    }
    UINT command;
    {
        // The menu's own loop is modal too: a second click on the icon
        // while it is open must not open another.
        ModalScope menuLoop;
        command = static_cast<UINT>(TrackPopupMenu(GetSubMenu(TrayMenu, 0), TPM_BOTTOMALIGN | TPM_RETURNCMD,
                                                   cursor.x, cursor.y, 0, window, nullptr));
    }
    PostMessageA(window, WM_NULL, 0, 0);
    // Run from the main loop, not inside the shell's notification.
    if (command != 0)
        PostMessageA(window, WM_COMMAND, command, 0);
}

// Another start of Kivora was refused: the window it was looking for comes
// to the front, or the dialog that is up; before the first login, the login
// dialog is.
void ShowYourself(HWND window)
{
    if (ModalUiUp()) {
        BringModalUiToFront();
        return;
    }
    if (!TrayIconWanted())
        return;
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
}

void CALLBACK LayOutWhenNoDialogIsUp(HWND window, UINT, UINT_PTR, DWORD)
{
    if (ModalUiUp())
        return;
    KillTimer(window, LayoutRetryTimerId);
    UINT dpi = PendingLayoutDpi;
    PendingLayoutDpi = 0;
    LayOutStatisticsWindowsAgain(window, dpi);
}

// Windows has moved the window to a monitor at another scale (or that
// monitor's scale has changed): the size it proposes, the icons and the
// windows inside made for the new scale, never stretched.
void OnDpiChanged(HWND window, UINT dpi, const RECT& proposed)
{
    SetWindowPos(window, nullptr, proposed.left, proposed.top, proposed.right - proposed.left,
                 proposed.bottom - proposed.top, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowIcons(window, dpi);
    if (!ModalUiUp()) {
        LayOutStatisticsWindowsAgain(window, dpi);
        return;
    }
    PendingLayoutDpi = dpi;
    SetTimer(window, LayoutRetryTimerId, LayoutRetryPeriodMs, LayOutWhenNoDialogIsUp);
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
}

} // namespace

UINT ShowYourselfMessage()
{
    static const UINT message = RegisterWindowMessageA("Kivora.ShowYourself");
    return message;
}

void CompleteFirstLogin()
{
    AddTrayIcon();
    CreateStatisticsWindows(MainWindow);
}

void StopCounting()
{
    StopClock();
    RunFlag = 0;
    if (PollingThread != nullptr) {
        WaitForSingleObject(PollingThread, INFINITE);
        CloseHandle(PollingThread);
        PollingThread = nullptr;
    }
}

void StartCounting()
{
    // While paused, the end of a dialog leaves counting stopped.
    if (Paused)
        return;
    if (!CreatePollingThread()) {
        // Nothing could be counted any more: keep what was counted, and end
        // rather than run on unseen.
        SaveCounts(SaveKind::Leaving);
        RemoveTrayIcon();
        DestroyWindow(MainWindow);
        PostQuitMessage(1);
        return;
    }
    StartClock();
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
    case RetryClockMessage:
        RetryClockStart();
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // Windows ends the process soon after this returns: save now, even
        // inside a dialog. Nobody can be asked any more.
        if (wParam) {
            SaveCounts(SaveKind::Leaving);
            FinishSharing();
        }
        return 0;
    default:
        if (message == TaskbarCreatedMessage && message != 0) {
            RestoreTrayIcon();
            return 0;
        }
        if (message == ShowYourselfMessage()) {
            ShowYourself(window);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
