#pragma once
// The main window: hub of the menus, the accelerators and the notification-
// area icon. It paints nothing itself; its children show the counts.
#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Counting stands still while a modal dialog that a command opens is up:
// the clock stops, the polling thread ends and is waited for.
void StopCounting();
void StartCounting();

// The first login of the run shows the icon and builds the windows that show
// the counts; later logins reuse them.
void CompleteFirstLogin();

// What a second copy of Kivora, refused, sends the one that runs: show the
// window, or the dialog that is up.
UINT ShowYourselfMessage();
