#pragma once
#include <windows.h>

// The fifth tab of the statistics window: the user's days (template 156).
INT_PTR CALLBACK HistoryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
