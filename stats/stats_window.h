#pragma once
#include <windows.h>

// Creates the statistics window (tabs and count pages) and the summary panel
// inside the main window, laid out at the main window's scale, and shows
// them. Done once, at the first login.
void CreateStatisticsWindows(HWND mainWindow);

// Lays them out again at another scale (dots per inch): the main window has
// moved to a monitor at that scale. Nothing before the first login.
void LayOutStatisticsWindowsAgain(HWND mainWindow, UINT dpi);
