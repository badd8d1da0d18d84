#pragma once
// The key polling thread: a scan pass every 20 ms while RunFlag is non-zero,
// counting into Counters and marking the texts it changes on the main window.
#include <windows.h>

#include <atomic>

#include "capture/counter_table.h"

// Non-zero while the key polling thread is to go on.
extern std::atomic<LONG> RunFlag;

// What the thread does besides counting, given by whoever starts it.
struct PollChores {
    void (*afterEachPass)() = nullptr;   // the new-user registration check
    // After a pass that counted strokes (never after one that counted none):
    // where they go, when that is recorded.
    void (*strokesCounted)(int strokes) = nullptr;
};

// The thread procedure; its parameter is a const PollChores*, or null for none.
DWORD WINAPI KeyPollThread(LPVOID chores);

// While set, the thread posts RetryClockMessage to the main window about once
// a second: the one-second clock could not be started, and a failed SetTimer
// cannot be retried on another timer.
extern std::atomic<bool> ClockRetryReminders;
constexpr UINT RetryClockMessage = WM_APP + 1;

// Marks a rectangle of window for repainting, without erasing. No window
// between the main window and the count pages clips its children, so an area
// of the main window reaches the visible page and the summary panel. An empty
// rectangle (not laid out yet) marks nothing.
void InvalidateArea(HWND window, const PixelRect& rect);
