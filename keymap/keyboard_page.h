#pragma once
#include <windows.h>

// The fourth tab of the statistics window: the key map (template 154).
INT_PTR CALLBACK KeyboardPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
