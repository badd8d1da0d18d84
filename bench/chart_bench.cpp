// The time to draw the daily chart once, off-screen, from ten years of
// history (3,650 days with their minutes and hours), at the size the
// history tab draws it and at the picture's, with Kivora's own drawing; the
// tab's refresh when the days have moved (every day read from the history
// as the keeper holds it, the series made, the chart drawn); the time to
// write the picture file; and the time of Kivora.exe /chart over the same
// ten years, run in the process (find the user, read the data file and the
// history, lay out, draw, encode, write). Arguments: the number of rounds
// and a folder for the pictures and the user's files. Prints one line per
// measurement:
//   "series days=N us=T"                       the days read into a series, once
//   "chart span=S width=W height=H us=T"       one layout and drawing
//   "layout span=S width=W height=H us=T"      the layout alone, as the tab measures it
//   "refresh span=S width=W height=H us=T read=R series=M draw=D"
//                                              the days read, the series made, the chart drawn
//   "png span=S width=W height=H us=T ok=1"    one picture file written
//   "command span=S us=T ok=1"                 one /chart command
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "qpc_clock.h"
#include "whole_file.h"
#include "screen_canvas.h"

#include "chart/chart_command.h"
#include "chart/chart_painter.h"
#include "chart/chart_png.h"
#include "history/history_book.h"
#include "history/user_history.h"
#include "store/user_record.h"

namespace {

constexpr int TenYearsOfDays = 3650;
// The history tab's chart under Wine with the IPA fonts at 96 dpi: the tab
// page less its row of controls and margins.
constexpr SIZE TabChart = {522, 294};

// Ten years of typing that ends today: every key counted, busier and quieter
// days, an hour or two a day, in the minutes and hours of the working day.
std::vector<HistoryDay> TenYears(const LocalDate& today)
{
    std::vector<HistoryDay> days(TenYearsOfDays);
    for (int i = 0; i < TenYearsOfDays; ++i) {
        HistoryDay& day = days[i];
        day.date = AddDays(today, i - (TenYearsOfDays - 1));
        day.counts.seconds = 3600 + (i * 7919) % 5400;
        for (int key = 0; key < HistoryKeyCount; ++key)
            day.counts.keys[key] = (i * 31 + key * 7919) % 400;
        int64_t strokes = day.counts.AllStrokes();
        for (int hour = 8; hour < 18; ++hour)
            day.counts.hours[hour] = strokes / 10;
        day.counts.hours[8 + i % 10] += strokes % 10;
        day.counts.activeMinutes = 60 + i % 90;
        day.counts.bestMinute = 150 + i % 100;
    }
    return days;
}

// A user "bench" in folder whose history holds the ten years up to today,
// as the command finds users: folder is made the current folder.
bool MakeTenYearsUser(const std::string& folder)
{
    std::string history = std::string(HistoryHeader) + "\r\n";
    for (const HistoryDay& day : TenYears(TodaysDate()))
        AppendHistoryLine(history, day.date, day.counts);
    RecordImage image;
    FormatRecordTexts(StoredValues{}, image);
    CreateDirectoryA((folder + "\\data").c_str(), nullptr);
    return WriteWhole(folder + "\\data\\bench.dat", std::string(image.data(), image.size())) &&
           WriteWhole(folder + "\\data\\bench.history.csv", history) && SetCurrentDirectoryA(folder.c_str());
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

    const SIZE sizes[] = {TabChart, {ChartPngWidth, ChartPngHeight}};
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

    // The tab's refresh when the days moved: what it does with the keeper's
    // days (CurrentHistoryDays), from the history's text as the keeper holds it.
    std::string text = std::string(HistoryHeader) + "\r\n";
    for (const HistoryDay& day : series.days)
        AppendHistoryLine(text, day.date, day.counts);
    HistoryBook book;
    book.Load(text, today);
    {
        ScreenCanvas canvas(screen, TabChart.cx, TabChart.cy);
        RECT area = {0, 0, TabChart.cx, TabChart.cy};
        for (ChartSpan span : spans) {
            for (int round = 0; round < rounds; ++round) {
                start = Now();
                std::vector<HistoryDay> kept = book.Days(HistoryCounts{});
                long long read = Now();
                DaySeries made = MakeDaySeries(std::move(kept), today);
                long long madeAt = Now();
                ChartPicture picture;
                picture.series = &made;
                picture.view.span = span;
                DrawHistoryChart(canvas.Dc(), area, picture);
                GdiFlush();
                long long end = Now();
                std::printf("refresh span=%s width=%ld height=%ld us=%.1f read=%.1f series=%.1f draw=%.1f\n",
                            ChartSpanWord(span), TabChart.cx, TabChart.cy, Microseconds(end - start),
                            Microseconds(read - start), Microseconds(madeAt - read), Microseconds(end - madeAt));
            }
        }
    }
    ReleaseDC(nullptr, screen);

    std::string path = folder + "\\chart-bench.png";
    ChartPicture picture;
    picture.series = &series;
    picture.view.span = ChartSpan::All;
    std::string title = FormatChartTitle("bench", ChartSpan::All, DefaultChartKeys, today);
    picture.title = title.c_str();
    for (int round = 0; round < rounds / 10 + 1; ++round) {
        start = Now();
        bool ok = WriteHistoryChartPng(path.c_str(), picture);
        std::printf("png span=all width=%d height=%d us=%.1f ok=%d\n", ChartPngWidth, ChartPngHeight,
                    Microseconds(Now() - start), ok ? 1 : 0);
    }
    DeleteFileA(path.c_str());

    bool ready = MakeTenYearsUser(folder);
    for (int round = 0; round < rounds / 10 + 1; ++round) {
        start = Now();
        bool ok = ready && RunChartCommand(L"bench", L"chart-command.png", L"all", nullptr) == 0;
        std::printf("command span=all us=%.1f ok=%d\n", Microseconds(Now() - start), ok ? 1 : 0);
    }
    std::fflush(stdout);
    return 0;
}
