// The days of one user's PCs through a folder a sync engine shares: which
// files are a PC's, the other PCs' days added to this PC's (a copied day
// once), and this PC's copies, never written over another installation's.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "history/history_file.h"
#include "history/pending_history.h"
#include "sync/other_pcs.h"
#include "sync/own_copies.h"
#include "sync/pc_days.h"
#include "sync/pc_files.h"
#include "memory_folder.h"

namespace {

constexpr LocalDate Today = {2026, 12, 7};
constexpr const char* Own = "DESK-0000000a";

HistoryCounts Strokes(int64_t a, int64_t seconds = 60)
{
    HistoryCounts counts;
    counts.keys[0] = a;
    counts.seconds = seconds;
    return counts;
}

std::string History(std::initializer_list<std::pair<int, int64_t>> days)
{
    std::string text(HistoryHeader);
    text += "\r\n";
    for (auto [day, a] : days)
        AppendHistoryLine(text, {2026, 12, day}, Strokes(a));
    return text;
}

std::vector<HistoryDay> Days(const std::string& history)
{
    std::vector<HistoryDay> days;
    EXPECT_TRUE(DaysOfHistoryText(history, Today, days));
    return days;
}

MemoryLocal LocalWith(const std::string& history)
{
    MemoryLocal local;
    local.Put(PcFileKind::History, history);
    return local;
}

int64_t StrokesOn(const std::vector<HistoryDay>& days, int day)
{
    for (const HistoryDay& d : days) {
        if (d.date == LocalDate{2026, 12, day})
            return d.counts.keys[0];
    }
    return 0;
}

TEST(PcFiles, OnlyAPcsOwnNamesAreItsFiles)
{
    struct Case {
        const char* name;
        const char* pc;   // null: not a PC's file
        PcFileKind kind;
    } cases[] = {
        {"DESK-1a2b3c4d.history.csv", "DESK-1a2b3c4d", PcFileKind::History},
        {"DESK-1a2b3c4d.keys.csv", "DESK-1a2b3c4d", PcFileKind::Keys},
        {"DESK-1a2b3c4d.apps.csv", "DESK-1a2b3c4d", PcFileKind::Apps},
        {"DESK-1a2b3c4d.shortcuts.csv", "DESK-1a2b3c4d", PcFileKind::Shortcuts},
        {"DESK-1a2b3c4d (1).shortcuts.csv", nullptr, {}},
        {"DESK-1a2b3c4d.shortcuts.csv.tmp", nullptr, {}},
        {"my_pc2-00000000.history.csv", "my_pc2-00000000", PcFileKind::History},
        {"DESK-1a2b3c4d (1).history.csv", nullptr, {}},                    // a conflict copy
        {"DESK-1a2b3c4d (taro's conflicted copy).history.csv", nullptr, {}},
        {"DESK-1a2b3c4d-LAPTOP.history.csv", nullptr, {}},                 // OneDrive's copy: a name has no hyphen
        {"DESK-1a2b3c4d.history-LAPTOP.csv", nullptr, {}},
        {"DESK-1a2b3c4d.history.csv.tmp", nullptr, {}},                    // a save under way
        {"DESK-1a2b3c4d.history.csv.1.tmp", nullptr, {}},
        {".syncthing.DESK-1a2b3c4d.history.csv.tmp", nullptr, {}},
        {"~$DESK-1a2b3c4d.history.csv", nullptr, {}},
        {"DESK-1a2b3c4d.history.csv.bak", nullptr, {}},
        {"DESK-1A2B3C4D.history.csv", nullptr, {}},                        // the id is lowercase
        {"DESK-1a2b3c4.history.csv", nullptr, {}},                         // seven digits
        {"DESK-1a2b3c4d5.history.csv", nullptr, {}},
        {"DESK-1a2b3c4g.history.csv", nullptr, {}},
        {"-1a2b3c4d.history.csv", nullptr, {}},                            // no name
        {"ABCDEFGHIJKLMNOP-1a2b3c4d.history.csv", nullptr, {}},            // sixteen letters
        {"DESK-1a2b3c4d.HISTORY.CSV", nullptr, {}},
        {"DESK-1a2b3c4d.history.pending", "DESK-1a2b3c4d", PcFileKind::Pending},
        {"DESK-1a2b3c4d.pending", nullptr, {}},
        {"DESK-1a2b3c4d (1).history.pending", nullptr, {}},
        {"taro.history.csv", nullptr, {}},                                 // a data folder's file
    };
    for (const Case& c : cases) {
        std::optional<PcFileName> name = ParsePcFileName(c.name);
        ASSERT_EQ(name.has_value(), c.pc != nullptr) << c.name;
        if (name) {
            EXPECT_EQ(name->pc, c.pc) << c.name;
            EXPECT_EQ(name->kind, c.kind) << c.name;
            EXPECT_EQ(FileNameOf(name->pc, name->kind), c.name) << c.name;
        }
    }
}

TEST(PcFiles, AComputersNameBecomesOneAFileCanCarry)
{
    struct Case {
        const wchar_t* computer;
        const char* name;
    } cases[] = {
        {L"DESKTOP7", "DESKTOP7"},
        {L"DESKTOP-AB12CD3", "DESKTOP_AB12CD3"},   // the hyphen is the id's
        {L"開発機", "___"},
        {L"", "PC"},
        {L"ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNO"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PcNameOf(c.computer), c.name);
        EXPECT_TRUE(ParsePcFileName(FileNameOf(PcOf(PcNameOf(c.computer), PcIdText(0xC0FFEE)), PcFileKind::Keys)));
    }
    EXPECT_EQ(PcIdText(0xC0FFEE), "00c0ffee");
}

TEST(OtherPcs, TheirDaysAreAddedToThisPcsByDate)
{
    MemoryFolder folder;
    folder.Put("LAPTOP-00000001.history.csv", History({{5, 10}, {7, 20}}));
    folder.Put("WORK-00000002.history.csv", History({{6, 300}, {7, 400}}));
    folder.Put(std::string(Own) + ".history.csv", History({{7, 5000}}));                 // this PC's copy
    folder.Put("LAPTOP-00000001 (1).history.csv", History({{7, 60000}}));               // a conflict copy
    folder.Put("LAPTOP-00000001.history.csv.tmp", History({{7, 700000}}));              // a write under way
    folder.Put("WORK-00000003.history.csv", "not a history\r\n");                        // unknown form
    folder.Put("LAPTOP-00000001.keys.csv", "key,count\r\na,123\r\nspace,4\r\n");
    folder.Put("WORK-00000002.keys.csv", "key,count\r\na,1000\r\n");
    MemoryLocal local = LocalWith(History({{4, 1}, {7, 5000}}));

    OtherPcs others;
    ASSERT_EQ(others.Refresh(folder, local, Own, Today), FolderRead::Read);
    std::vector<HistoryDay> all = Days(History({{4, 1}, {7, 5000}}));
    others.Days().AddTo(all);
    EXPECT_EQ(StrokesOn(all, 4), 1);
    EXPECT_EQ(StrokesOn(all, 5), 10);
    EXPECT_EQ(StrokesOn(all, 6), 300);
    EXPECT_EQ(StrokesOn(all, 7), 5420) << "this PC's copy in the folder is not counted again";
    EXPECT_EQ(all.size(), 4u);
    EXPECT_EQ(others.AllTime().keys[0], 1123);
    EXPECT_EQ(others.AllTime().keys[KeyIndexOf("space")], 4);
    EXPECT_EQ(others.Pcs(), 2) << "a file of unknown form counts for no PC";
    HistoryPeriods periods = PeriodsOfDays(all, Today);
    EXPECT_EQ(periods.today.keys[0], 5420);
    EXPECT_EQ(periods.last7.keys[0], 5731);
}

// A day that is count for count another's is a copy: a Kivora folder moved
// to a new PC keeps its days, and this PC's files under an earlier id are
// its own days again. It counts once; a day with no stroke is never a copy.
TEST(OtherPcs, ACopiedDayCountsOnce)
{
    MemoryFolder folder;
    folder.Put("OLDPC-00000001.history.csv", History({{5, 10}, {6, 20}, {7, 0}}));
    folder.Put("NEWPC-00000002.history.csv", History({{5, 10}, {6, 20}, {7, 0}, {8, 30}}));
    folder.Put("DESK-00000009.history.csv", History({{3, 7}}));            // this PC under its old id
    folder.Put("NEWPC-00000002.apps.csv", "date,app,strokes\r\n2026-12-05,a.exe,10\r\n2026-12-08,b.exe,30\r\n");
    folder.Put("OLDPC-00000001.apps.csv", "date,app,strokes\r\n2026-12-05,a.exe,10\r\n");
    MemoryLocal local = LocalWith(History({{3, 7}, {4, 1}}));

    OtherPcs others;
    ASSERT_EQ(others.Refresh(folder, local, Own, Today), FolderRead::Read);
    std::vector<HistoryDay> all = Days(History({{3, 7}, {4, 1}}));
    others.Days().AddTo(all);
    EXPECT_EQ(StrokesOn(all, 3), 7) << "this PC's day under its old id";
    EXPECT_EQ(StrokesOn(all, 5), 10);
    EXPECT_EQ(StrokesOn(all, 6), 20);
    EXPECT_EQ(StrokesOn(all, 8), 30);
    EXPECT_EQ(SumOfHistoryDays(all, {{2026, 12, 7}, {2026, 12, 7}}).seconds, 120) << "seconds alone are no copy";
    AppCounts apps = others.TallySum(Tally::Apps, {{2026, 12, 1}, {2026, 12, 31}});
    ASSERT_EQ(apps.size(), 2u);
    EXPECT_EQ(apps[0], (AppCount{"a.exe", 10})) << "the copied day's programs once";
    EXPECT_EQ(apps[1], (AppCount{"b.exe", 30}));
}

TEST(OtherPcs, FilesAreReadAgainOnlyWhenTheyChange)
{
    MemoryFolder folder;
    folder.Put("A-00000001.history.csv", History({{7, 1}}));
    folder.Put("B-00000002.history.csv", History({{7, 2}}));
    MemoryLocal local;
    OtherPcs others;
    struct Step {
        void (*change)(MemoryFolder&);
        int reads;
        FolderRead result;
        int64_t today;
        const char* what;
    } steps[] = {
        {[](MemoryFolder&) {}, 2, FolderRead::Read, 3, "the first look reads both"},
        {[](MemoryFolder&) {}, 0, FolderRead::Read, 3, "nothing changed, nothing read"},
        {[](MemoryFolder& f) { f.Put("B-00000002.history.csv", History({{7, 20}})); }, 1, FolderRead::Read, 21,
         "the changed one"},
        {[](MemoryFolder& f) { f.Put("A-00000001.history.csv", History({{7, 10}})); f.held.insert("A-00000001.history.csv"); },
         1, FolderRead::Held, 21, "held by the engine: its last reading stays"},
        {[](MemoryFolder& f) { f.held.clear(); }, 1, FolderRead::Read, 30, "read once it is let go"},
        {[](MemoryFolder& f) { f.offline = true; }, 0, FolderRead::Unreachable, 30, "offline: the days stay"},
        {[](MemoryFolder& f) { f.offline = false; f.files.erase("A-00000001.history.csv"); }, 1, FolderRead::Read, 20,
         "a PC that went: the others read anew"},
    };
    for (const Step& step : steps) {
        step.change(folder);
        folder.reads = 0;
        EXPECT_EQ(others.Refresh(folder, local, Own, Today), step.result) << step.what;
        EXPECT_EQ(folder.reads, step.reads) << step.what;
        EXPECT_EQ(StrokesOn(others.Days().AsDays(), 7), step.today) << step.what;
    }
}

// This PC's copies: written when the local file changed, and never over a
// file that another installation wrote under this PC's name.
TEST(OwnCopies, WritesWhatChangedAndNeverOverAnotherInstallations)
{
    const std::string name = std::string(Own) + ".history.csv";
    struct Step {
        std::string local;
        void (*before)(MemoryFolder&);
        CopyResult result;
        int writes;
        const char* what;
    } steps[] = {
        {History({{7, 1}}), [](MemoryFolder&) {}, CopyResult::Done, 1, "the first copy"},
        {History({{7, 1}}), [](MemoryFolder&) {}, CopyResult::Done, 0, "unchanged: nothing written"},
        {History({{7, 2}}), [](MemoryFolder&) {}, CopyResult::Done, 1, "changed: written"},
        {History({{7, 3}}), [](MemoryFolder& f) { f.offline = true; }, CopyResult::Failed, 0, "offline"},
        {History({{7, 3}}), [](MemoryFolder& f) { f.offline = false; }, CopyResult::Done, 1, "written at the next save"},
        {History({{7, 4}}), [](MemoryFolder& f) { f.held.insert(Own + std::string(".history.csv")); },
         CopyResult::Failed, 0, "held by the engine while it uploads"},
        {History({{7, 4}}), [](MemoryFolder& f) { f.held.clear(); f.files.begin()->second.stamp.time++; },
         CopyResult::Done, 1, "touched by the engine, the same bytes: still this PC's"},
        {History({{7, 5}}), [](MemoryFolder& f) { f.Put(Own + std::string(".history.csv"), History({{7, 9}})); },
         CopyResult::Foreign, 0, "another installation wrote it: a clone"},
    };
    MemoryFolder folder;
    MemoryLocal local;
    OwnCopies copies;
    for (const Step& step : steps) {
        step.before(folder);
        folder.writes = 0;
        if (!local.files.count(PcFileKind::History) || local.files[PcFileKind::History].text != step.local)
            local.Put(PcFileKind::History, step.local);
        EXPECT_EQ(copies.Copy(folder, local, Own), step.result) << step.what;
        EXPECT_EQ(folder.writes, step.writes) << step.what;
    }
    EXPECT_EQ(folder.files[name].text, History({{7, 9}})) << "the other installation's file stays";
}

// At a run's first look only the local file tells: a copy is this PC's when
// it is an earlier state of the local history (the last run could not bring
// it up to date), another's when it has counts the local history lacks.
TEST(OwnCopies, AtTheFirstLookAnEarlierStateIsThisPcs)
{
    struct Case {
        std::string inFolder;
        CopyResult result;
        const char* what;
    } cases[] = {
        {History({{6, 5}, {7, 3}}), CopyResult::Done, "the same"},
        {History({{6, 5}, {7, 1}}), CopyResult::Done, "an earlier save's"},
        {History({{6, 5}}), CopyResult::Done, "before today's first save"},
        {History({{6, 5}, {7, 4}}), CopyResult::Foreign, "more strokes today than this PC has"},
        {History({{6, 5}, {7, 1}, {8, 1}}), CopyResult::Foreign, "a day this PC does not have"},
        {"not a history\r\n", CopyResult::Foreign, "not a history"},
    };
    for (const Case& c : cases) {
        MemoryFolder folder;
        folder.Put(std::string(Own) + ".history.csv", c.inFolder);
        folder.Put(std::string(Own) + ".keys.csv", "key,count\r\na,1\r\n");
        MemoryLocal local = LocalWith(History({{6, 5}, {7, 3}}));
        local.Put(PcFileKind::Keys, "key,count\r\na,9\r\n");
        OwnCopies copies;
        EXPECT_EQ(copies.Copy(folder, local, Own), c.result) << c.what;
        const std::string& keys = folder.files[std::string(Own) + ".keys.csv"].text;
        EXPECT_EQ(keys == "key,count\r\na,9\r\n", c.result == CopyResult::Done) << c.what;
    }
}

} // namespace

namespace {

std::string StrangersLine(const LocalDate& date, int64_t count)
{
    HistoryCounts counts;
    counts.keys[100] = count;
    std::string line;
    AppendHistoryLine(line, date, counts);
    return line;
}

int64_t StrangersStrokes(const OtherPcs& others)
{
    return others.Days().Sum({{1900, 1, 1}, {2100, 1, 1}}).keys[100];
}

} // namespace

// What the other PCs' files claim is read within limits that do not depend
// on it; what goes past one is left out and told.
TEST(OtherPcs, WhatIsPastALimitIsLeftOutAndTold)
{
    const std::string header = std::string(HistoryHeader) + "\r\n";
    struct Case {
        void (*fill)(MemoryFolder&, const std::string& header);
        int64_t counted;   // the strangers' key, every day
        bool past;
        const char* what;
    } cases[] = {
        {[](MemoryFolder& f, const std::string& h) { f.Put("A-00000001.history.csv", h + StrangersLine(Today, 7)); },
         7, false, "a day as it comes"},
        {[](MemoryFolder& f, const std::string& h) {
             f.Put("A-00000001.history.csv", h + StrangersLine(Today, LargestDayValue) + StrangersLine(AddDays(Today, -1), LargestDayValue + 1));
         },
         LargestDayValue, true, "a value past what a day holds"},
        {[](MemoryFolder& f, const std::string& h) {
             f.Put("A-00000001.history.csv", h + StrangersLine(AddDays(Today, DaysAhead), 2) +
                                                 StrangersLine(AddDays(Today, DaysAhead + 1), 3) +
                                                 StrangersLine(AddDays(Today, -DaysBack), 5) +
                                                 StrangersLine(AddDays(Today, -DaysBack - 1), 11));
         },
         7, true, "tomorrow and twenty years back, nothing beyond"},
        {[](MemoryFolder& f, const std::string& h) {
             for (int pc = 0; pc <= MostPcs; ++pc)
                 f.Put("PC" + std::to_string(100 + pc) + "-00000001.history.csv", h + StrangersLine(Today, pc + 1));
         },
         MostPcs * (MostPcs + 1) / 2, true, "one PC more than are read, the last by name"},
        {[](MemoryFolder& f, const std::string& h) {
             f.Put("A-00000001.history.csv", h + StrangersLine(Today, 1));
             f.files["A-00000001.history.csv"].stamp.size = LargestHistoryFile + 1;   // as the listing says
         },
         0, true, "a history larger than any Kivora writes, never read"},
        {[](MemoryFolder& f, const std::string& h) {
             f.Put("A-00000001.history.csv", h + StrangersLine(Today, 1));
             std::string keys = "key,count\r\n";
             while (keys.size() <= LargestPcFile(PcFileKind::Keys))
                 keys += "a,1\r\n";
             f.Put("A-00000001.keys.csv", keys);
         },
         1, true, "a keys file past its size"},
        {[](MemoryFolder& f, const std::string& h) {
             std::string pending = std::string(PendingHeader) + "\r\n";
             for (int day = 0; day < static_cast<int>(MostPendingDays) + 2; ++day)
                 pending += "add," + StrangersLine(AddDays(Today, -day), 1);
             f.Put("A-00000001.history.pending", pending);
             f.Put("A-00000001.history.csv", h);
         },
         static_cast<int64_t>(MostPendingDays), true, "the latest pending days, no more"},
        {[](MemoryFolder& f, const std::string& h) {
             // 98,688 days' worth of lines in a file of a few megabytes: the
             // days kept, twenty years, at most.
             std::string history = h;
             for (int day = 0; day < 12000; ++day)
                 history += StrangersLine(AddDays(Today, -day), 1);
             f.Put("A-00000001.history.csv", history);
         },
         DaysBack + 1, true, "a history that claims more days than are kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryFolder folder;
        c.fill(folder, header);
        MemoryLocal local;
        OtherPcs others;
        ASSERT_EQ(others.Refresh(folder, local, Own, Today), FolderRead::Read);
        EXPECT_EQ(StrangersStrokes(others), c.counted);
        EXPECT_EQ(others.PastLimits(), c.past);
        EXPECT_LE(others.Days().Days(), static_cast<std::size_t>(DaysBack + DaysAhead + 1));
    }
}

TEST(OtherPcs, ProgramsPastTheNamesKeptAreTheOthersTogether)
{
    std::string apps = "date,app,strokes\r\n";
    for (std::size_t n = 0; n < MostAppNames + 5; ++n)
        apps += "2026-12-07,p" + std::to_string(10000 + n) + ".exe,1\r\n";
    apps += "2026-12-07," + std::string(LongestAppName + 1, 'x') + ",7\r\n";
    MemoryFolder folder;
    folder.Put("A-00000001.apps.csv", apps);
    MemoryLocal local;
    OtherPcs others;
    ASSERT_EQ(others.Refresh(folder, local, Own, Today), FolderRead::Read);
    const AppCounts sum = others.TallySum(Tally::Apps, {Today, Today});
    EXPECT_EQ(sum.size(), MostAppNames + 1);
    EXPECT_EQ(TotalStrokes(sum), static_cast<int64_t>(MostAppNames + 5 + 7)) << "no stroke lost";
    int64_t together = 0;
    for (const AppCount& app : sum)
        together += app.app == OtherApps ? app.strokes : 0;
    EXPECT_EQ(together, 5 + 7);
    EXPECT_TRUE(others.PastLimits());
}

// Each minute another PC's pending file changes: its days are its history
// folded with it, and only that small file is read again.
TEST(OtherPcs, APcsDaysAreItsHistoryFoldedWithItsPendingFile)
{
    auto pending = [](std::initializer_list<std::pair<const char*, int64_t>> lines) {
        std::string text = std::string(PendingHeader) + "\r\n";
        for (auto [tag, a] : lines) {
            text += tag;
            text += ',';
            AppendHistoryLine(text, Today, Strokes(a));
        }
        return text;
    };
    MemoryFolder folder;
    folder.Put("LAPTOP-00000001.history.csv", History({{6, 10}, {7, 3}}));
    MemoryLocal local;
    OtherPcs others;
    struct Step {
        std::string pending;   // empty: the file goes
        int64_t today;
        int reads;
        const char* what;
    } steps[] = {
        {pending({{"floor", 5}}), 5, 2, "the first look reads both: max(3, 5)"},
        {pending({{"floor", 9}}), 9, 1, "a minute later: the pending file alone"},
        {pending({{"floor", 2}, {"add", 4}}), 7, 1, "max(3, 2) + 4"},
        {std::string(PendingHeader) + "\r\n", 3, 1, "no pending days: the history's"},
        {"", 3, 0, "the file gone: the history's"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.pending.empty())
            folder.files.erase("LAPTOP-00000001.history.pending");
        else
            folder.Put("LAPTOP-00000001.history.pending", step.pending);
        folder.reads = 0;
        ASSERT_EQ(others.Refresh(folder, local, Own, Today), FolderRead::Read);
        EXPECT_EQ(folder.reads, step.reads);
        EXPECT_FALSE(others.ReadAll() && step.reads < 2) << "no other file read anew";
        EXPECT_EQ(StrokesOn(others.Days().AsDays(), 7), step.today);
        EXPECT_EQ(StrokesOn(others.Days().AsDays(), 6), 10);
    }
}

// This PC's copies: its pending file as it is, or its header alone once it
// has gone; its apps copy deleted with the local record; nothing read again
// while no local file changed.
TEST(OwnCopies, ThePendingAndAppsCopiesFollowTheLocalFiles)
{
    const std::string pc = Own;
    MemoryFolder folder;
    MemoryLocal local = LocalWith(History({{7, 1}}));
    OwnCopies copies;
    struct Step {
        void (*change)(MemoryLocal&);
        const char* pending;   // the copy afterwards; null: none
        bool apps;
        int localReads;
        const char* what;
    } steps[] = {
        {[](MemoryLocal& l) { l.Put(PcFileKind::Apps, "date,app,strokes\r\n"); }, nullptr, true, 2,
         "the first copies: no pending file, no copy of it"},
        {[](MemoryLocal& l) { l.Put(PcFileKind::Pending, std::string(PendingHeader) + "\r\nadd,x\r\n"); },
         "kivora pending history 1\r\nadd,x\r\n", true, 1, "the pending file alone is read"},
        {[](MemoryLocal&) {}, "kivora pending history 1\r\nadd,x\r\n", true, 0, "nothing changed: nothing read"},
        {[](MemoryLocal& l) { l.files.erase(PcFileKind::Pending); }, "kivora pending history 1\r\n", true, 0,
         "gone: its header alone"},
        {[](MemoryLocal& l) { l.files.erase(PcFileKind::Apps); }, "kivora pending history 1\r\n", false, 0,
         "the record deleted: its copy too"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change(local);
        local.reads = 0;
        ASSERT_EQ(copies.Copy(folder, local, pc), CopyResult::Done);
        EXPECT_EQ(local.reads, step.localReads);
        auto copy = folder.files.find(pc + ".history.pending");
        const std::optional<std::string> copied =
            copy != folder.files.end() ? std::optional<std::string>(copy->second.text) : std::nullopt;
        EXPECT_EQ(copied, step.pending != nullptr ? std::optional<std::string>(step.pending) : std::nullopt);
        EXPECT_EQ(folder.files.count(pc + ".apps.csv"), step.apps ? 1u : 0u);
    }
}

// Another PC's shortcuts are its shortcuts.csv folded with its pending file's
// shortcut lines, apart from its programs; a minute reads the pending file
// alone, and an old day in it the shortcuts file once, whose line it keeps.
TEST(OtherPcs, ShortcutsAreReadAsProgramsAre)
{
    const std::string header = "\xEF\xBB\xBF" + std::string(ShortcutsHeader) + "\r\n";
    auto pending = [](const char* lines) { return std::string(PendingHeader) + "\r\n" + lines; };
    MemoryFolder folder;
    folder.Put("A-00000001.shortcuts.csv", header + "2026-12-01,Ctrl+Z,2\r\n2026-12-05,Ctrl+Z,1\r\n"
                                                    "2026-12-06,Ctrl+Z,1\r\n2026-12-07,Ctrl+C,3\r\n");
    folder.Put("A-00000001.apps.csv", "date,app,strokes\r\n2026-12-07,Ctrl+C,100\r\n");
    folder.Put("B-00000002.shortcuts.csv", "date,app,strokes\r\n2026-12-07,Ctrl+C,1000\r\n");   // not of its form
    MemoryLocal local;
    OtherPcs others;
    struct Step {
        std::string pending;
        int64_t copies, undos;   // Ctrl+C, Ctrl+Z over the month
        int reads;
        bool anew;
        const char* what;
    } steps[] = {
        {pending("shortcutfloor,2026-12-07,Ctrl+C,5\r\n"), 5, 4, 4, true, "the first look: max(3, 5)"},
        {pending("shortcutfloor,2026-12-07,Ctrl+C,6\r\nshortcutadd,2026-12-07,Ctrl+Z,1\r\n"), 6, 5, 1, false,
         "a minute later: the pending file alone"},
        {pending("shortcutfloor,2026-12-01,Ctrl+Z,1\r\n"), 3, 4, 2, false, "an old day's line not kept: read, unmoved"},
        {pending("shortcutadd,2026-12-01,Ctrl+Z,4\r\n"), 3, 8, 1, false, "its line kept since: the pending file alone"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        folder.Put("A-00000001.history.pending", step.pending);
        folder.reads = 0;
        ASSERT_EQ(others.Refresh(folder, local, Own, Today), FolderRead::Read);
        EXPECT_EQ(folder.reads, step.reads);
        EXPECT_EQ(others.ReadAll(), step.anew);
        const AppCounts month = others.TallySum(Tally::Shortcuts, {{2026, 12, 1}, Today});
        EXPECT_EQ(month, (AppCounts{{"Ctrl+C", step.copies}, {"Ctrl+Z", step.undos}}));
        EXPECT_EQ(others.TallySum(Tally::Apps, {Today, Today}), (AppCounts{{"Ctrl+C", 100}})) << "apart";
        EXPECT_FALSE(others.PastLimits());
    }
}

// A tally's lines kept for the pending days stay within MostKeptTallyLines
// (eleven days of 800 shortcuts are more): the day left out is read from the
// file again while the pending file names it, and the sums stay right.
TEST(OtherPcs, ATallysKeptLinesStayWithinTheirLimit)
{
    std::string shortcuts = std::string(ShortcutsHeader) + "\r\n";
    for (int day = -10; day <= 0; ++day) {
        for (int name = 0; name < 800; ++name)
            shortcuts += FormatLocalDate(AddDays(Today, day)) + ",Ctrl+" + std::to_string(name) + ",1\r\n";
    }
    MemoryFolder folder;
    folder.Put("A-00000001.shortcuts.csv", shortcuts);
    MemoryLocal local;
    OtherPcs others;
    struct Step {
        int firstDay;   // the pending file's floors of Ctrl+0 from this day on: 30 on day -10, 1 after, today's
        int64_t today;
        int reads;
        bool anew;
    } steps[] = {
        {0, 50, 2, true},     // the first look
        {-9, 50, 2, false},   // older days named: the file read again, nothing moves
        {-10, 50, 4, true},   // the oldest day moves: every PC anew
        {-10, 51, 2, false},  // a minute: the oldest day's lines left out, the file again
    };
    for (const Step& step : steps) {
        std::string pending = std::string(PendingHeader) + "\r\n";
        for (int day = step.firstDay; day <= 0; ++day)
            pending += "shortcutfloor," + FormatLocalDate(AddDays(Today, day)) + ",Ctrl+0," +
                       std::to_string(day == 0 ? step.today : day == -10 ? 30 : 1) + "\r\n";
        folder.Put("A-00000001.history.pending", pending);
        folder.reads = 0;
        ASSERT_EQ(others.Refresh(folder, local, Own, Today), FolderRead::Read);
        EXPECT_EQ(folder.reads, step.reads) << step.firstDay;
        EXPECT_EQ(others.ReadAll(), step.anew) << step.firstDay;
        const int64_t first = step.firstDay == -10 ? 30 : 1;
        EXPECT_EQ(others.TallySum(Tally::Shortcuts, {AddDays(Today, -10), Today})[0],
                  (AppCount{"Ctrl+0", first + 9 + step.today}));
    }
}
