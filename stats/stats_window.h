#pragma once
#include <windows.h>

// Creates the statistics window (tabs and count pages) and the summary panel
// inside the main window and shows them. Done once, at the first login.
void CreateStatisticsWindows(HWND mainWindow);
