#pragma once
#include <windows.h>

// The summary panel under the statistics window: running time, total strokes
// and strokes per hour. Its creation starts the one-second clock, unless it
// is made with this parameter: the panel laid out again at another scale,
// while the clock runs or stands as it is.
INT_PTR CALLBACK SummaryPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);
constexpr LPARAM SummaryPanelLaidOutAgain = 1;
