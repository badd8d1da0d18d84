// The days of ten PCs of ten years each (3,650 days a PC, every key): this
// PC's history and nine others' in a shared folder, under <folder>\taro,
// each other PC with its history of the days before today, its shortcuts
// file (always counted: fifteen shortcuts a day out of two dozen) and its
// pending file of today's floors, as a save each minute leaves them. Times the reading
// of the folder as the worker does it: the first time, with nothing changed,
// after one PC's minute (its pending file changed), and after one PC's
// history was written again (a new day, a quit); then the worker itself
// after a save (ShareUserFiles: this PC's copies checked by their stamps, the
// other PCs' files looked at by size and time, the sums published), and what
// the history tab does when the days have moved: the series of this PC's
// days made with the other PCs' added as it goes (WithOtherPcsDaysToAdd, the
// tab's own call), the chart drawn at the tab's size; and the other PCs'
// shortcuts added up for the tab's list over all days. Arguments: the number
// of rounds and a folder for the files. Prints one line per measurement:
//   "read what=first|unchanged|one-minute|one-history pcs=N us=T"
//   "memory what=cache kib=K"                 working set the first reading added
//   "worker what=first|one-minute us=T"       a save's job, until its sums are published
//   "tab pcs=N span=S width=W height=H us=T"  merge, series and drawing, as the tab refreshes
//   "list what=shortcuts us=T"                the other PCs' shortcuts of all days (WithOtherPcsShortcuts)
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
#include "history/pending_history.h"
#include "history/user_history.h"
#include "options/settings_file.h"
#include "store/user_data.h"
#include "sync/folder_on_disk.h"
#include "sync/other_pcs.h"
#include "sync/pc_days.h"
#include "sync/pc_sharing.h"
#include "win/ansi_text.h"

namespace {

constexpr int TenYearsOfDays = 3650;
constexpr int OtherPcCount = 9;
constexpr SIZE TabChart = {522, 294};   // as chart_bench.cpp draws the tab's chart
constexpr int ShortcutsADay = 15;
constexpr int ShortcutNames = 24;

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

std::string PcFile(int pc, const char* kind = ".history.csv")
{
    return "PC" + std::to_string(pc) + "-0000000" + std::to_string(pc) + kind;
}

// The days before today, as the history holds them while the day runs.
std::string HistoryBeforeToday(const std::vector<HistoryDay>& days)
{
    return TextOfDays(std::vector<HistoryDay>(days.begin(), days.end() - 1));
}

// A day's shortcuts on one PC: fifteen of two dozen, a few strokes each.
AppCounts ShortcutsOf(int day, int pc)
{
    static const char* const Keys = "CVZXSAFYTWNPBHQR";
    AppCounts shortcuts;
    for (int n = 0; n < ShortcutsADay; ++n) {
        const int name = (day + pc + n) % ShortcutNames;
        AddAppStrokes(shortcuts, std::string(name < 16 ? "Ctrl+" : "Ctrl+Shift+") + Keys[name % 16],
                      1 + (day * 13 + name * 7 + pc) % 40);
    }
    return shortcuts;
}

// The shortcuts of the days before today, as shortcuts.csv holds them.
std::string ShortcutsBeforeToday(const std::vector<HistoryDay>& days, int pc)
{
    AppBook book(Tally::Shortcuts);
    for (int i = 0; i + 1 < static_cast<int>(days.size()); ++i)
        book.Set(days[i].date, ShortcutsOf(i, pc));
    return book.Render();
}

// Today's counts and shortcuts as floors, as a minute's save writes them.
std::string PendingOfToday(const std::vector<HistoryDay>& days, int pc)
{
    PendingDay today{days.back().date, days.back().counts, {}};
    today.shortcutFloor = ShortcutsOf(static_cast<int>(days.size()) - 1, pc);
    AddAppStrokes(today.shortcutFloor, "Ctrl+C", days.back().counts.keys[0]);
    return FormatPending({today});
}

// A save's job on the worker, until the sums it read are published.
double TimedJob(const std::string& dataFile)
{
    const unsigned before = OtherPcsVersion();
    long long start = Now();
    ShareUserFiles(dataFile.c_str(), "taro.dat");
    for (int waited = 0; OtherPcsVersion() == before && waited < 60000; ++waited)
        Sleep(1);
    return Microseconds(Now() - start);
}

void RemoveFolder(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((folder + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

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
    const std::string work = (argc > 2 ? argv[2] : ".") + std::string("\\bench");
    const std::string shared = work + "\\shared";
    const std::string folder = shared + "\\taro";
    const std::string data = work + "\\data";
    for (const std::string& made : {work, shared, folder, data})
        CreateDirectoryA(made.c_str(), nullptr);
    const LocalDate today = TodaysDate();
    const std::vector<HistoryDay> local = TenYears(today, 0);
    for (int pc = 1; pc <= OtherPcCount; ++pc) {
        const std::vector<HistoryDay> days = TenYears(today, pc);
        WriteWhole(folder + "\\" + PcFile(pc), HistoryBeforeToday(days));
        WriteWhole(folder + "\\" + PcFile(pc, ".shortcuts.csv"), ShortcutsBeforeToday(days, pc));
        WriteWhole(folder + "\\" + PcFile(pc, ".history.pending"), PendingOfToday(days, pc));
    }
    // This PC's days, which tell the copied ones, as a running Kivora keeps them.
    const std::string dataFile = data + "\\taro.dat";
    WriteWhole(data + "\\taro.history.csv", HistoryBeforeToday(local));
    WriteWhole(data + "\\taro.shortcuts.csv", ShortcutsBeforeToday(local, 0));
    WriteWhole(data + "\\taro.history.pending", PendingOfToday(local, 0));
    FolderOnDisk disk(folder, false);
    LocalFilesOnDisk localFiles(dataFile, false);

    OtherPcs others;
    double before = WorkingSetKib();
    long long start = Now();
    others.Refresh(disk, localFiles, "PC0-00000000", today);
    std::printf("read what=first pcs=%d us=%.1f\n", others.Pcs(), Microseconds(Now() - start));
    std::printf("memory what=cache kib=%.0f\n", WorkingSetKib() - before);
    for (int round = 0; round < rounds; ++round) {
        start = Now();
        others.Refresh(disk, localFiles, "PC0-00000000", today);
        std::printf("read what=unchanged pcs=%d us=%.1f\n", others.Pcs(), Microseconds(Now() - start));
    }
    std::vector<HistoryDay> changed = TenYears(today, 1);
    for (int round = 0; round < rounds; ++round) {
        // That PC's minute: today's floor has risen.
        changed.back().counts.keys[0] += 1;
        WriteWhole(folder + "\\" + PcFile(1, ".history.pending"), PendingOfToday(changed, 1));
        start = Now();
        others.Refresh(disk, localFiles, "PC0-00000000", today);
        std::printf("read what=one-minute pcs=%d us=%.1f\n", others.Pcs(), Microseconds(Now() - start));
    }
    for (int round = 0; round < rounds / 5 + 1; ++round) {
        // That PC's history written again (a quit: today's line in it).
        changed.back().counts.keys[0] += 1;
        WriteWhole(folder + "\\" + PcFile(1), TextOfDays(changed));
        start = Now();
        others.Refresh(disk, localFiles, "PC0-00000000", today);
        std::printf("read what=one-history pcs=%d us=%.1f\n", others.Pcs(), Microseconds(Now() - start));
    }
    if (others.ReadAll() || others.Days().AsDays().back().counts.keys[0] == 0) {
        std::fprintf(stderr, "the reading after one PC's change read every PC anew\n");
        ExitProcess(1);
    }
    others = OtherPcs();

    // Kivora's own worker for a user taro whose days are this PC's ten
    // years, with the folder set in a settings file of the benchmark's.
    const std::string settings = work + "\\set.ini";
    WriteWhole(settings, "[setup]\r\nSYNC=" + shared + "\r\n");
    CopyIfFits(SettingsPath, sizeof SettingsPath, settings.c_str());
    CopyIfFits(DataFilePath, sizeof DataFilePath, dataFile.c_str());
    std::printf("worker what=first us=%.1f\n", TimedJob(dataFile));
    for (int round = 0; round < rounds / 5 + 1; ++round) {
        // This PC's minute and another's: both pending files rise.
        changed.back().counts.keys[0] += 1;
        WriteWhole(folder + "\\" + PcFile(2, ".history.pending"), PendingOfToday(changed, 2));
        std::vector<HistoryDay> mine = local;
        mine.back().counts.keys[1] += round + 1;
        WriteWhole(data + "\\taro.history.pending", PendingOfToday(mine, 0));
        std::printf("worker what=one-minute us=%.1f\n", TimedJob(dataFile));
    }

    // The tab's figures must be every PC's, else the timing below is this PC's twice.
    if (WithOtherPcsDays(local).back().counts.keys[0] == local.back().counts.keys[0]) {
        std::fprintf(stderr, "the worker published no other PC's days\n");
        ExitProcess(1);
    }
    HDC screen = GetDC(nullptr);
    ScreenCanvas canvas(screen, TabChart.cx, TabChart.cy);
    RECT area = {0, 0, TabChart.cx, TabChart.cy};
    const ChartSpan spans[] = {ChartSpan::Last30Days, ChartSpan::All};
    for (int pcs : {1, OtherPcCount + 1}) {
        for (ChartSpan span : spans) {
            for (int round = 0; round < rounds; ++round) {
                // A fresh vector of this PC's days, as the tab gets it from
                // the keeper, made before the clock starts.
                std::vector<HistoryDay> days = local;
                start = Now();
                DaySeries series;
                if (pcs > 1)
                    WithOtherPcsDaysToAdd([&](const DaysToAdd* more) { series = MakeDaySeries(std::move(days), today, more); });
                else
                    series = MakeDaySeries(std::move(days), today);
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
    const DateRange allDays{AddDays(today, 1 - TenYearsOfDays), today};
    if (WithOtherPcsShortcuts({}, allDays).empty()) {
        std::fprintf(stderr, "the worker published no other PC's shortcuts\n");
        ExitProcess(1);
    }
    for (int round = 0; round < rounds; ++round) {
        start = Now();
        const AppCounts shortcuts = WithOtherPcsShortcuts({}, allDays);
        std::printf("list what=shortcuts names=%zu us=%.1f\n", shortcuts.size(), Microseconds(Now() - start));
    }
    FinishSharing();
    for (const std::string& made : {folder, shared, data, work})
        RemoveFolder(made);
    std::fflush(stdout);
    // The worker thread is never torn down: the process ends it.
    ExitProcess(0);
}
