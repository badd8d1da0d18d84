// The time to draw the daily chart once, off-screen, from ten years of
// history (3,650 days), at the history tab's size and at the picture's, with
// Kivora's own drawing; and the time to write the picture file. Arguments:
// the number of rounds and a folder for the picture. Prints one line per
// measurement:
//   "series days=N us=T"                       the days read into a series, once
//   "chart span=S width=W height=H us=T"       one layout and drawing
//   "layout span=S width=W height=H us=T"      the layout alone, as the tab measures it
//   "png span=S width=W height=H us=T ok=1"    one picture file written
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "qpc_clock.h"
#include "screen_canvas.h"

#include "chart/chart_painter.h"
#include "chart/chart_png.h"

namespace {

constexpr int TenYearsOfDays = 3650;

// Ten years of typing that ends today: every key counted, busier and quieter
// days, an hour or two a day.
std::vector<HistoryDay> TenYears(const LocalDate& today)
{
    std::vector<HistoryDay> days(TenYearsOfDays);
    for (int i = 0; i < TenYearsOfDays; ++i) {
        HistoryDay& day = days[i];
        day.date = AddDays(today, i - (TenYearsOfDays - 1));
        day.counts.seconds = 3600 + (i * 7919) % 5400;
        for (int key = 0; key < HistoryKeyCount; ++key)
            day.counts.keys[key] = (i * 31 + key * 7919) % 400;
    }
    return days;
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
    std::string folder = argc > 2 ? argv[2] : ".";
    const LocalDate today = {2026, 12, 7};
    std::vector<HistoryDay> days = TenYears(today);

    long long start = Now();
    DaySeries series = MakeDaySeries(std::move(days), today);
    std::printf("series days=%zu us=%.1f\n", series.days.size(), Microseconds(Now() - start));

    const SIZE sizes[] = {{470, 330}, {ChartPngWidth, ChartPngHeight}};
    const ChartSpan spans[] = {ChartSpan::Last30Days, ChartSpan::All};
    HDC screen = GetDC(nullptr);
    for (SIZE size : sizes) {
        // As the tab draws it: into a bitmap compatible with the screen.
        ScreenCanvas canvas(screen, size.cx, size.cy);
        HDC memory = canvas.Dc();
        RECT area = {0, 0, size.cx, size.cy};
        for (ChartSpan span : spans) {
            ChartPicture picture;
            picture.series = &series;
            picture.view.span = span;
            for (int round = 0; round < rounds; ++round) {
                // A new selection each round, as the arrow keys give.
                LocalDate day = AddDays(today, -(round % 300));
                picture.view.selection = DateRange{day, day};
                start = Now();
                DrawHistoryChart(memory, area, picture);
                GdiFlush();
                std::printf("chart span=%s width=%ld height=%ld us=%.1f\n", ChartSpanWord(span), size.cx, size.cy,
                            Microseconds(Now() - start));
                start = Now();
                LayOutChartIn(memory, area, picture);
                std::printf("layout span=%s width=%ld height=%ld us=%.1f\n", ChartSpanWord(span), size.cx, size.cy,
                            Microseconds(Now() - start));
            }
        }
    }
    ReleaseDC(nullptr, screen);

    std::string path = folder + "\\chart-bench.png";
    ChartPicture picture;
    picture.series = &series;
    picture.view.span = ChartSpan::All;
    std::string title = FormatChartTitle("bench", ChartSpan::All, today);
    picture.title = title.c_str();
    for (int round = 0; round < rounds / 10 + 1; ++round) {
        start = Now();
        bool ok = WriteHistoryChartPng(path.c_str(), picture);
        std::printf("png span=all width=%d height=%d us=%.1f ok=%d\n", ChartPngWidth, ChartPngHeight,
                    Microseconds(Now() - start), ok ? 1 : 0);
    }
    DeleteFileA(path.c_str());
    std::fflush(stdout);
    return 0;
}
