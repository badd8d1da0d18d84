#pragma once
// The one top-level window, of class "PrtClass", and where it sits on the
// screen. The shell creates it; every other window and dialog is shown in it
// or owned by it.
#include <windows.h>

// Target of every invalidation, owner of timer 1 and of the icon, parent of
// the statistics window and the summary panel.
extern HWND MainWindow;

// Where a window of the given size is centred in the primary screen's work
// area (the screen less the taskbar). A work area smaller than the window
// gives its own corner, never a corner off it.
int CentredX(int width);
int CentredY(int height);

// The largest client area the main window can have inside the work area of
// the monitor it is on.
SIZE LargestMainClient();

// Grows the main window, never below its size, until its client area holds
// width x height, but never past the work area of its monitor: centred there
// at the start (from its 500 x 500 pixels), kept in place (moved inside the
// work area) when it is laid out again at another scale.
enum class WindowFit { Centred, InPlace };
void FitMainWindowToContent(int width, int height, WindowFit fit);
