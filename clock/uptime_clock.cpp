#include "clock/uptime_clock.h"

#include <mutex>

namespace {

// One step of the clock's values, whole with respect to a zeroing on the
// polling thread (the registration's second zeroing): a tick that read the
// seconds before the zeroing must not write the old seconds back after it.
template <typename Step>
void UnderClockLock(CounterTable& table, Step step)
{
    std::lock_guard<std::mutex> guard(table.ClockLock);
    step();
}

} // namespace

void AdvanceUptimeClock(CounterTable& table, ClockPort& port)
{
    bool minuteComplete = false;
    UnderClockLock(table, [&] {
        int32_t seconds = table.ClockSeconds.value.load() + 1;
        minuteComplete = seconds == 60;
        table.Publish(table.ClockSeconds, minuteComplete ? 0 : seconds, TextForm::TwoDigits);
        if (minuteComplete) {
            RaiseCount(table.ClockMinutes.value);
            table.RefreshText(table.ClockMinutes);
        }
    });
    port.Invalidate(table.SecondsRect.Load());
    if (minuteComplete) {
        port.Invalidate(table.SecondsRect.Load());
        port.Invalidate(table.MinutesRect.Load());
        // After the minute is raised, before it runs over into an hour: the
        // save as the minutes reach 60 stores 60 and the old hour.
        port.Save();
    }

    bool hourComplete = false;
    UnderClockLock(table, [&] {
        hourComplete = table.ClockMinutes.value.load() == 60;
        if (hourComplete) {
            table.Publish(table.ClockMinutes, 0);
            RaiseCount(table.ClockHours.value);
            table.RefreshText(table.ClockHours);
        }
        table.Publish(table.StrokesPerHour,
                      StrokesPerHourOf(table.TotalStrokes.value.load(), table.ClockHours.value.load()));
    });
    if (hourComplete) {
        port.Invalidate(table.MinutesRect.Load());
        port.Invalidate(table.HoursRect.Load());
    }
    port.Invalidate(table.RateRect.Load());
}

int32_t StrokesPerHourOf(int32_t totalStrokes, int32_t hours)
{
    return hours == 0 ? 0 : totalStrokes / hours;
}
