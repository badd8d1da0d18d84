#pragma once
#include <windows.h>

// The summary panel under the statistics window: running time, total strokes
// and strokes per hour. Its creation starts the one-second clock.
INT_PTR CALLBACK SummaryPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);
