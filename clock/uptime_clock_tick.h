#pragma once
// Timer 1 of the main window, every second: advances the uptime clock and the
// strokes per hour, and saves the user's counts when a minute is complete.
#include <windows.h>

constexpr UINT_PTR ClockTimerId = 1;
constexpr UINT ClockPeriodMs = 1000;

void CALLBACK UptimeClockTick(HWND window, UINT message, UINT_PTR timerId, DWORD time);

// Starts and stops timer 1. A start that fails is told once on the icon and
// stays wanted: RetryClockStart, which the main window runs when the polling
// thread asks about once a second, tries again until it succeeds or the clock
// is stopped. (A failed SetTimer means the window manager is short of
// resources, so the retry cannot rest on another timer.)
void StartClock();
void StopClock();
void RetryClockStart();
// True while the clock is wanted but not running.
bool ClockStartPending();
