#pragma once
// The one top-level window, of class "PrtClass", and where it sits on the
// screen. The shell creates it; every other window and dialog is shown in it
// or owned by it.
#include <windows.h>

// Target of every invalidation, owner of timer 1 and of the icon, parent of
// the statistics window and the summary panel.
extern HWND MainWindow;

// Where a window of the given size is centred on the primary screen. A
// screen smaller than the window gives 0, never a corner off the screen.
int CentredX(int width);
int CentredY(int height);

// Grows the main window, never below its size, until its client area holds
// width x height: centred again at the start (from its 500 x 500 pixels), in
// place when it is laid out again at another scale.
enum class WindowFit { Centred, InPlace };
void FitMainWindowToContent(int width, int height, WindowFit fit);
