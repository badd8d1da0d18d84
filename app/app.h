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

// Notification-area icon (tray_icon.cpp).
void AddTrayIcon();
void RemoveTrayIcon();
void RestoreTrayIcon();   // after the shell has restarted
// Tells the user, once per run of failures, that the counts could not be saved.
void NoteSaveResult(bool saved);

// About box (about_box.cpp).
void ShowAboutBox(HWND owner);

// Texts shown to the user.
namespace AppText {
inline constexpr const char* AppName = "Kivora";
inline constexpr const char* TrayTip = "Kivora　稼動中・・・";
inline constexpr const char* ErrorCaption = "エラー";
inline constexpr const char* WarningCaption = "警告";
}
