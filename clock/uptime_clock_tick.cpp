#include "clock/uptime_clock_tick.h"

#include "capture/key_poll_thread.h"
#include "clock/uptime_clock.h"
#include "history/user_history.h"
#include "store/user_days.h"
#include "store/user_data.h"
#include "store/user_record.h"
#include "win/main_window_frame.h"
#include "win/notices.h"
#include "win/platform_calls.h"

namespace {

class WindowsClock final : public ClockPort {
public:
    explicit WindowsClock(HWND window) : window_(window) {}

    void Invalidate(const PixelRect& rect) override { InvalidateArea(window_, rect); }

    void Save() override { NoteSaveResult(SaveUserData() == 0); }

private:
    HWND window_;
};

} // namespace

void CALLBACK UptimeClockTick(HWND window, UINT, UINT_PTR, DWORD)
{
    // A second counted after midnight belongs to the new day; the strokes
    // since the last second, to the minute and hour they fell in, which the
    // day that ends counts too.
    const HistoryCounts now = AllTimeCounts();
    KeepHistoryDate(now);
    LookAtTypingTime(now.AllStrokes(), ClockMinuteNow());
    WindowsClock clock(window);
    AdvanceUptimeClock(Counters, clock);
}

void StartClock()
{
    // Setting timer 1 again while it runs replaces it: never two clocks.
    bool started = Platform.setTimer(MainWindow, ClockTimerId, ClockPeriodMs, UptimeClockTick) != 0;
    // Read by the polling thread, which asks for the retries.
    ClockRetryReminders = !started;
    NoteOutcome(Notice::ClockFailed, started);
}

void StopClock()
{
    ClockRetryReminders = false;
    Platform.killTimer(MainWindow, ClockTimerId);
}

void RetryClockStart()
{
    if (ClockRetryReminders)
        StartClock();
}

bool ClockStartPending() { return ClockRetryReminders; }
