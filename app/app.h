#pragma once
// The application shell's shared state: the main window, the notification-area
// icon record and the flag that keeps the key polling thread running.
#include <windows.h>
#include <shellapi.h>

#include <atomic>

#include "capture/counter_table.h"

// The one top-level window, of class "PrtClass": target of every
// invalidation, owner of timer 1 and of the icon, parent of the statistics
// window and the summary panel.
extern HWND MainWindow;

// The notification-area icon record, filled once at start-up.
extern NOTIFYICONDATAA TrayIconData;
constexpr UINT TrayMessage = WM_USER + 100;

// Non-zero while the key polling thread is to go on.
extern std::atomic<LONG> RunFlag;

// The counts of the user who is logged in.
extern CounterTable Counters;

constexpr UINT_PTR ClockTimerId = 1;
constexpr UINT ClockPeriodMs = 1000;

// Main window (main_window.cpp).
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void StopCounting();
void StartCounting();
// Marks a rectangle of window for repainting, without erasing. No window
// between the main window and the count pages clips its children, so an area
// of the main window reaches the visible page and the summary panel. An empty
// rectangle (not laid out yet) marks nothing.
void InvalidateArea(HWND window, const PixelRect& rect);

// Where a window of the given size is centred on the primary screen. A
// screen smaller than the window gives 0, never a corner off the screen.
int CentredX(int width);
int CentredY(int height);

// Grows the main window, never below its 500 x 500 pixels, until its client
// area holds width x height, and centres it again (main.cpp).
void FitMainWindowToContent(int width, int height);

// The system calls whose failure the program must live through, called
// through these pointers so that the tests can make them fail.
struct PlatformCalls {
    BOOL(WINAPI* notifyIcon)(DWORD, PNOTIFYICONDATAA) = Shell_NotifyIconA;
    UINT_PTR(WINAPI* setTimer)(HWND, UINT_PTR, UINT, TIMERPROC) = SetTimer;
    BOOL(WINAPI* killTimer)(HWND, UINT_PTR) = KillTimer;
    HANDLE(WINAPI* createThread)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                                 LPDWORD) = CreateThread;
};
extern PlatformCalls Platform;

// Notification-area icon (tray_icon.cpp). Wanted from the first login until
// exit: an add that fails (the shell is not up yet) is tried again every few
// seconds for a minute, and again whenever the shell announces a new taskbar.
void AddTrayIcon();
void RemoveTrayIcon();
void RestoreTrayIcon();   // the shell has restarted
bool TrayIconShown();
// Shows TrayIconData's icon and tip again after they have changed.
void UpdateTrayIcon();

// What the user is told on the icon, once per run of failures of each kind
// (and as soon as the icon is there, if it was not).
enum class Notice { SaveFailed, ClockFailed, HistoryFailed };
void NoteOutcome(Notice notice, bool succeeded);
void NoteSaveResult(bool saved);

// Modal UI (modal_ui.cpp). Every dialog box and message box that the
// interface thread shows runs inside a ModalScope: while one is up, the main
// window runs no command, and a click on the icon brings it to the front.
class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
};
bool ModalUiUp();
void BringModalUiToFront();
int ShowMessage(HWND owner, const char* text, const char* caption, UINT type);
INT_PTR RunDialog(HWND owner, int templateId, DLGPROC procedure, LPARAM parameter = 0);

// The standard Save As dialog, modal, owned by owner. Texts are code page
// 932. True with the chosen path in path; false when the user cancelled, or
// after telling them why the name cannot be used.
struct SaveAsRequest {
    const char* defaultName;   // "taro-kivora.csv"
    const char* typeName;      // "CSV (*.csv)"
    const char* pattern;       // "*.csv"
    const char* extension;     // "csv", added when the user types none
};
bool AskSaveAsPath(HWND owner, const SaveAsRequest& request, char (&path)[MAX_PATH]);

// Saves before the user leaves, at log-off or exit. A failed save asks, in a
// box owned by owner, whether to try again, to stay, or to leave without
// saving; true means go on leaving.
enum class Leaving { LogOff, Exit };
bool SaveBeforeLeaving(HWND owner, Leaving leaving);
// The question itself (save_question.cpp): IDTRYAGAIN, IDCONTINUE (leave
// without saving) or IDCANCEL (stay).
int AskAfterFailedSave(HWND owner, Leaving leaving);

// Posted to the main window by the polling thread while the one-second
// clock could not be started: try again.
constexpr UINT RetryClockMessage = WM_APP + 1;

// About box (about_box.cpp).
void ShowAboutBox(HWND owner);

// Texts shown to the user.
namespace AppText {
inline constexpr const char* AppName = "Kivora";
inline constexpr const char* TrayTip = "Kivora　稼動中・・・";
inline constexpr const char* PausedTip = "Kivora　一時停止中";
inline constexpr const char* ErrorCaption = "エラー";
inline constexpr const char* WarningCaption = "警告";
}
