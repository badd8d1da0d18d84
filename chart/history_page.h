#pragma once
#include <windows.h>

// The fifth tab of the statistics window: the user's days (template 156).
INT_PTR CALLBACK HistoryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Sent by the history page to the statistics window, its tab control's
// parent, for キーボードで表示: show the keyboard tab with the map of a range of
// days, the parameters as ShowMapRangeMessage's (keymap/keyboard_page.h).
constexpr UINT ShowKeysOfDaysMessage = WM_APP + 21;
