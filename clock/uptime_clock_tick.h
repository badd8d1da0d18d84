#pragma once
#include <windows.h>

// Timer 1 of the main window, every second: advances the uptime clock and the
// strokes per hour, and saves the user's counts when a minute is complete.
void CALLBACK UptimeClockTick(HWND window, UINT message, UINT_PTR timerId, DWORD time);
