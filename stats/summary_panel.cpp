#include "stats/summary_panel.h"

#include "clock/uptime_clock_tick.h"
#include "stats/count_font.h"
#include "win/main_window_frame.h"

namespace {

struct Figure {
    SummaryFigure figure;
    CountedValue CounterTable::*value;
    SharedRect CounterTable::*rect;
};

// In drawing order.
constexpr Figure Figures[] = {
    {FigureHours, &CounterTable::ClockHours, &CounterTable::HoursRect},
    {FigureMinutes, &CounterTable::ClockMinutes, &CounterTable::MinutesRect},
    {FigureSeconds, &CounterTable::ClockSeconds, &CounterTable::SecondsRect},
    {FigureTotal, &CounterTable::TotalStrokes, &CounterTable::TotalRect},
    {FigureRate, &CounterTable::StrokesPerHour, &CounterTable::RateRect},
};

void OnInitDialog(HWND panel, LPARAM parameter)
{
    // The rectangles are in place before the clock can first tick.
    for (const Figure& figure : Figures)
        (Counters.*figure.rect).Store(BandInMainWindow(panel, SummaryBand(figure.figure), MainWindow));
    Counters.RefreshText(Counters.ClockSeconds, TextForm::TwoDigits);
    Counters.RefreshText(Counters.ClockMinutes);
    Counters.RefreshText(Counters.ClockHours);
    if (parameter != SummaryPanelLaidOutAgain)
        StartClock();
}

void OnPaint(HWND panel)
{
    FigurePainter painter(panel);
    for (const Figure& figure : Figures)
        painter.DrawFigure(SummaryAnchor(figure.figure), Counters.*figure.value);
}

} // namespace

INT_PTR CALLBACK SummaryPanelProc(HWND panel, UINT message, WPARAM, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(panel, lParam);
        return TRUE;
    case WM_PAINT:
        OnPaint(panel);
        return TRUE;
    default:
        return FALSE;
    }
}
