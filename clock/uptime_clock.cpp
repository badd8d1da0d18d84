#include "clock/uptime_clock.h"

void AdvanceUptimeClock(CounterTable& table, ClockPort& port)
{
    int32_t seconds = table.ClockSeconds.value.load() + 1;
    table.Publish(table.ClockSeconds, seconds, TextForm::TwoDigits);
    port.Invalidate(table.SecondsRect.Load());

    if (seconds == 60) {
        table.Publish(table.ClockSeconds, 0, TextForm::TwoDigits);
        RaiseCount(table.ClockMinutes.value);
        table.RefreshText(table.ClockMinutes);
        port.Invalidate(table.SecondsRect.Load());
        port.Invalidate(table.MinutesRect.Load());
        port.Save();
    }

    if (table.ClockMinutes.value.load() == 60) {
        table.Publish(table.ClockMinutes, 0);
        RaiseCount(table.ClockHours.value);
        table.RefreshText(table.ClockHours);
        port.Invalidate(table.MinutesRect.Load());
        port.Invalidate(table.HoursRect.Load());
    }

    table.Publish(table.StrokesPerHour,
                  StrokesPerHourOf(table.TotalStrokes.value.load(), table.ClockHours.value.load()));
    port.Invalidate(table.RateRect.Load());
}

int32_t StrokesPerHourOf(int32_t totalStrokes, int32_t hours)
{
    return hours == 0 ? 0 : totalStrokes / hours;
}
