// The days of ten PCs of ten years each (3,650 days a PC, every key): this
// PC's and nine others' history files in a shared folder. Times the worker's
// reading of the folder (the first time, with nothing changed, with one PC's
// file changed, as after each save) and what the history tab does when the
// days have moved: the other PCs' days added to this PC's, the series made,
// the chart drawn at the tab's size. Arguments: the number of rounds and a
// folder for the files. Prints one line per measurement:
//   "read what=first|unchanged|one-changed pcs=N us=T"
//   "memory what=cache kib=K"                 working set the first reading added
//   "tab pcs=N span=S width=W height=H us=T"  merge, series and drawing, as the tab refreshes
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "qpc_clock.h"
#include "screen_canvas.h"
#include "whole_file.h"

#include "chart/chart_painter.h"
#include "sync/folder_on_disk.h"
#include "sync/other_pcs.h"
#include "sync/pc_days.h"

namespace {

constexpr int TenYearsOfDays = 3650;
constexpr int OtherPcCount = 9;
constexpr SIZE TabChart = {522, 294};   // as chart_bench.cpp draws the tab's chart

// Ten years of typing ending today on one PC: every key, an hour or two a day.
std::vector<HistoryDay> TenYears(const LocalDate& today, int pc)
{
    std::vector<HistoryDay> days(TenYearsOfDays);
    for (int i = 0; i < TenYearsOfDays; ++i) {
        days[i].date = AddDays(today, i - (TenYearsOfDays - 1));
        days[i].counts.seconds = 3600 + (i * 7919 + pc) % 5400;
        for (int key = 0; key < HistoryKeyCount; ++key)
            days[i].counts.keys[key] = (i * 31 + key * 7919 + pc * 13) % 400;
    }
    return days;
}

std::string TextOfDays(const std::vector<HistoryDay>& days)
{
    std::string text = std::string(HistoryHeader) + "\r\n";
    for (const HistoryDay& day : days)
        AppendHistoryLine(text, day.date, day.counts);
    return text;
}

std::string PcFile(int pc) { return "PC" + std::to_string(pc) + "-0000000" + std::to_string(pc) + ".history.csv"; }

double WorkingSetKib()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.WorkingSetSize) / 1024;
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::atoi(argv[1]) : 50;
    std::string folder = (argc > 2 ? argv[2] : ".") + std::string("\\bench");
    CreateDirectoryA(folder.c_str(), nullptr);
    const LocalDate today = {2026, 12, 7};
    const std::vector<HistoryDay> local = TenYears(today, 0);
    for (int pc = 1; pc <= OtherPcCount; ++pc)
        WriteWhole(folder + "\\" + PcFile(pc), TextOfDays(TenYears(today, pc)));
    FolderOnDisk disk(folder, false);

    OtherPcs others;
    double before = WorkingSetKib();
    long long start = Now();
    others.Refresh(disk, "PC0-00000000", local, today);
    std::printf("read what=first pcs=%d us=%.1f\n", others.Sums().pcs, Microseconds(Now() - start));
    std::printf("memory what=cache kib=%.0f\n", WorkingSetKib() - before);
    for (int round = 0; round < rounds; ++round) {
        start = Now();
        others.Refresh(disk, "PC0-00000000", local, today);
        std::printf("read what=unchanged pcs=%d us=%.1f\n", others.Sums().pcs, Microseconds(Now() - start));
    }
    std::vector<HistoryDay> changed = TenYears(today, 1);
    for (int round = 0; round < rounds / 5 + 1; ++round) {
        // That PC's save: today's line has risen.
        changed.back().counts.keys[0] += 1;
        WriteWhole(folder + "\\" + PcFile(1), TextOfDays(changed));
        start = Now();
        others.Refresh(disk, "PC0-00000000", local, today);
        std::printf("read what=one-changed pcs=%d us=%.1f\n", others.Sums().pcs, Microseconds(Now() - start));
    }

    HDC screen = GetDC(nullptr);
    ScreenCanvas canvas(screen, TabChart.cx, TabChart.cy);
    RECT area = {0, 0, TabChart.cx, TabChart.cy};
    const ChartSpan spans[] = {ChartSpan::Last30Days, ChartSpan::All};
    for (int pcs : {1, OtherPcCount + 1}) {
        for (ChartSpan span : spans) {
            for (int round = 0; round < rounds; ++round) {
                start = Now();
                DaySeries series = MakeDaySeries(pcs > 1 ? AddDaysByDate(local, others.Sums().days) : local, today);
                ChartPicture picture;
                picture.series = &series;
                picture.view.span = span;
                DrawHistoryChart(canvas.Dc(), area, picture);
                GdiFlush();
                std::printf("tab pcs=%d span=%s width=%ld height=%ld us=%.1f\n", pcs, ChartSpanWord(span),
                            TabChart.cx, TabChart.cy, Microseconds(Now() - start));
            }
        }
    }
    ReleaseDC(nullptr, screen);
    for (int pc = 1; pc <= OtherPcCount; ++pc)
        DeleteFileA((folder + "\\" + PcFile(pc)).c_str());
    RemoveDirectoryA(folder.c_str());
    std::fflush(stdout);
    return 0;
}
