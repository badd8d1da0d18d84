#pragma once
// The key polling thread: a pass every 20 ms while RunFlag is non-zero,
// counting into Counters and marking the texts it changes on the main window.
// A pass asks for the keys only after input (input_gate.h).
#include <windows.h>

#include <atomic>

#include "capture/counter_table.h"
#include "capture/pass_pacer.h"

// Non-zero while the key polling thread is to go on.
extern std::atomic<LONG> RunFlag;

// What the thread does besides counting, given by whoever starts it.
struct PollChores {
    void (*afterEachPass)() = nullptr;   // the new-user registration check
    // After a pass that counted strokes (never after one that counted none):
    // where they go, when that is recorded.
    void (*strokesCounted)(int strokes) = nullptr;
    // For each shortcut among them: what was held and the key (pass_shortcuts.h).
    void (*shortcutStruck)(uint8_t held, uint8_t virtualKey) = nullptr;
};

// The thread procedure; its parameter is a const PollChores*, or null for none.
DWORD WINAPI KeyPollThread(LPVOID chores);

// The waits between passes on Windows: Sleep, and a high-resolution waitable
// timer, made at the first timed wait. One per thread that waits.
class WindowsPassWaits final : public PacerPort {
public:
    WindowsPassWaits();
    ~WindowsPassWaits() override;
    WindowsPassWaits(const WindowsPassWaits&) = delete;
    WindowsPassWaits& operator=(const WindowsPassWaits&) = delete;

    int64_t NowMicroseconds() override;
    int64_t ClockTickMicroseconds() override;
    void SleepMilliseconds(uint32_t milliseconds) override;
    bool TimedWait(int64_t microseconds) override;

private:
    using QueryTimerResolution = LONG(WINAPI*)(ULONG* coarsest, ULONG* finest, ULONG* current);
    QueryTimerResolution queryTick_ = nullptr;
    LONGLONG frequency_ = 1;
    HANDLE timer_ = nullptr;
    bool timerTried_ = false;
};

// While set, the thread posts RetryClockMessage to the main window about once
// a second: the one-second clock could not be started, and a failed SetTimer
// cannot be retried on another timer.
extern std::atomic<bool> ClockRetryReminders;
constexpr UINT RetryClockMessage = WM_APP + 1;

// Marks a rectangle of window for repainting, without erasing. No window
// between the main window and the count pages clips its children, so an area
// of the main window reaches the visible page and the summary panel. An empty
// rectangle (not laid out yet) marks nothing, nor does any while the window
// is hidden (showing it repaints it whole).
void InvalidateArea(HWND window, const PixelRect& rect);
