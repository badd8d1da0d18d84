// The keeper of the days on a disk in memory, case by case: what a minute's
// save writes with years of days kept, what a save before leaving writes,
// a pending file that cannot be read now, an earlier user's files after a
// restart, and an edit that its stamp does not show. The seeded simulation
// (keeper_simulation.h) walks the same keeper through long sequences.
#include <gtest/gtest.h>

#include "keeper_simulation.h"

namespace {

using keepersim::Holder;
using keepersim::SimDisk;
using keepersim::SimFile;

constexpr LocalDate Today{2026, 12, 8};

// A year and more of days with every key struck (the benchmark takes ten).
std::string Years()
{
    std::string text(HistoryHeader);
    text += "\r\n";
    for (int day = 400; day >= 1; --day) {
        HistoryCounts counts;
        counts.seconds = 3600 + day;
        for (int key = 0; key < HistoryKeyCount; ++key)
            counts.keys[key] = (day * 7 + key) % 5000;
        AppendHistoryLine(text, AddDays(Today, -day), counts);
    }
    return text;
}

HistoryCounts Typed(int64_t strokes, int64_t seconds)
{
    HistoryCounts counts;
    counts.seconds = seconds;
    counts.keys[0] = strokes;
    counts.keys[HistoryKeyCount - 1] = strokes;
    return counts;
}

void Put(SimDisk& disk, DiskFile which, std::string text)
{
    SimFile& file = disk.Of(which);
    file.exists = true;
    file.text = std::move(text);
    disk.Touch(file, true);
}

// The days a login would find on the disk.
std::map<LocalDate, HistoryCounts> DaysOnDisk(SimDisk& disk)
{
    HistoryBook book;
    EXPECT_EQ(ReadDaysAsLoginWould(disk, Today, book), DaysForReading::Read);
    std::map<LocalDate, HistoryCounts> days;
    for (const HistoryDay& day : book.Days(HistoryCounts{}))
        days[day.date] = day.counts;
    return days;
}

TEST(HistoryKeeper, AMinutesSaveWritesTheRunningDayAloneAndLeavingWritesEveryDay)
{
    SimDisk disk;
    const std::string years = Years();
    Put(disk, DiskFile::History, years);
    HistoryKeeper keeper;
    HistoryCounts counts = Typed(100, 50);
    keeper.Login(disk, counts, {}, Today);
    const uint64_t identity = disk.Of(DiskFile::History).identity;

    for (int minute = 1; minute <= 3; ++minute) {
        AddCounts(counts, Typed(40, 60));
        ASSERT_EQ(keeper.Save(disk, counts, {{"notepad.exe", 40}}, Today, SaveKind::Minute), DaysSaved::Written);
        // A day's bytes, however many years are kept; the history as it was.
        EXPECT_EQ(disk.Of(DiskFile::History).identity, identity) << "minute " << minute;
        EXPECT_LT(disk.Of(DiskFile::Pending).text.size(), 16u * 1024) << "minute " << minute;
        EXPECT_EQ(DaysOnDisk(disk)[Today], Typed(40 * minute, 60 * minute)) << "minute " << minute;
    }

    // Leaving: the history holds every day, today's too, and nothing waits.
    AddCounts(counts, Typed(5, 7));
    ASSERT_EQ(keeper.Save(disk, counts, {{"notepad.exe", 45}}, Today, SaveKind::Leaving), DaysSaved::Written);
    EXPECT_FALSE(disk.Of(DiskFile::Pending).exists);
    std::string expected = years;
    AppendHistoryLine(expected, Today, Typed(125, 187));
    EXPECT_EQ(disk.Of(DiskFile::History).text, expected);
    EXPECT_EQ(disk.Of(DiskFile::Apps).text, "\xEF\xBB\xBF" "date,app,strokes\r\n2026-12-08,notepad.exe,45\r\n");

    // The first save of a new day writes the day that ended into the history.
    keeper.Login(disk, counts, {}, Today);
    AddCounts(counts, Typed(9, 9));
    keeper.KeepDate(AddDays(Today, 1), counts, {});
    ASSERT_EQ(keeper.Save(disk, counts, {}, AddDays(Today, 1), SaveKind::Minute), DaysSaved::Written);
    std::string closed = years;
    AppendHistoryLine(closed, Today, Typed(134, 196));
    EXPECT_EQ(disk.Of(DiskFile::History).text, closed);
}

TEST(HistoryKeeper, APendingFileIsMovedAsideOnlyWhenItIsNoPendingFile)
{
    const LocalDate pendingDay{2026, 12, 7};
    const std::string floors = FormatPending({{pendingDay, Typed(3, 60), {}}});
    std::string padded;   // a spreadsheet pads each line to the widest one's fields
    for (std::size_t at = 0; at < floors.size();) {
        LineSpan line = LineAt(floors, at);
        padded += floors.substr(line.begin, line.contentEnd - line.begin) + ",,,\r\n";
        at = line.end;
    }
    struct Case {
        const char* what;
        std::string text;
        int failingReads;
        bool readAtLogin;     // its days are owed at once
        bool movedAside;
    };
    const Case cases[] = {
        {"as Kivora writes it", floors, 0, true, false},
        {"padded by a spreadsheet", padded, 0, true, false},
        // A locked range or an I/O error after the open: there, so waited for.
        {"opened but not read", floors, 1, false, false},
        {"not a pending file", "somebody's notes\r\n", 0, true, true},
    };
    for (const Case& c : cases) {
        SimDisk disk;
        Put(disk, DiskFile::Pending, c.text);
        disk.Of(DiskFile::Pending).failingReads = c.failingReads;
        HistoryKeeper keeper;
        keeper.Login(disk, {}, {}, Today);
        EXPECT_EQ(keeper.State(), c.readAtLogin ? KeeperState::Open : KeeperState::PendingUnread) << c.what;
        ASSERT_EQ(keeper.Save(disk, {}, {}, Today, SaveKind::Leaving), DaysSaved::Written) << c.what;
        EXPECT_EQ(disk.backups[static_cast<int>(DiskFile::Pending)].size(), c.movedAside ? 1u : 0u) << c.what;
        if (!c.movedAside) {
            EXPECT_EQ(DaysOnDisk(disk)[pendingDay], Typed(3, 60)) << c.what;
        }
    }
}

TEST(HistoryKeeper, AnEarlierUsersHeldFilesAreNeverTakenForTheNewUsersAfterARestart)
{
    SimDisk disk;
    const std::string earlier = std::string(HistoryHeader) + "\r\n" + "2026-12-01,600,0\r\n";
    Put(disk, DiskFile::History, earlier);
    disk.Of(DiskFile::History).holder = Holder::Spreadsheet;   // cannot be moved aside now

    // The registration marks it before the new data file is made.
    HistoryKeeper::MarkEarlierUsersFiles(disk);
    HistoryKeeper keeper;
    keeper.StartNew(disk, {}, Today);
    EXPECT_EQ(keeper.State(), KeeperState::Leftover);

    // A restart: the login reads none of it as the new user's days.
    HistoryKeeper restarted;
    restarted.Login(disk, {}, {}, Today);
    EXPECT_EQ(restarted.State(), KeeperState::Leftover);
    EXPECT_NE(restarted.Save(disk, Typed(3, 5), {}, Today, SaveKind::Minute), DaysSaved::Written);
    EXPECT_TRUE(MustAskBeforeLeaving(restarted.Risk()));
    HistoryBook book;
    ASSERT_EQ(ReadDaysAsLoginWould(disk, Today, book), DaysForReading::Read);
    EXPECT_FALSE(book.CountsOn({2026, 12, 1}, HistoryCounts{}).has_value()) << "a command reads the earlier user's day";

    // Once it is free, it is kept aside whole and the new user's history starts.
    disk.Of(DiskFile::History).holder = Holder::None;
    ASSERT_EQ(restarted.Save(disk, Typed(3, 5), {}, Today, SaveKind::Leaving), DaysSaved::Written);
    EXPECT_EQ(disk.backups[static_cast<int>(DiskFile::History)], std::vector<std::string>{earlier});
    EXPECT_FALSE(disk.Marked(DiskFile::History));
    EXPECT_EQ(DaysOnDisk(disk), (std::map<LocalDate, HistoryCounts>{{Today, Typed(3, 5)}}));
}

TEST(HistoryKeeper, AnEditItsStampDoesNotShowIsReadBeforeTheHistoryIsWritten)
{
    SimDisk disk;
    const LocalDate earlier{2026, 12, 1};
    std::string text(HistoryHeader);
    text += "\r\n";
    AppendHistoryLine(text, earlier, Typed(10, 100));
    Put(disk, DiskFile::History, text);
    HistoryKeeper keeper;
    keeper.Login(disk, {}, {}, Today);

    // Another program changes a digit in place, within the same tick of the
    // file system's clock: size, time and identity as they were.
    std::string edited(HistoryHeader);
    edited += "\r\n";
    AppendHistoryLine(edited, earlier, Typed(19, 100));
    ASSERT_EQ(edited.size(), text.size());
    disk.Of(DiskFile::History).text = edited;

    ASSERT_EQ(keeper.Save(disk, Typed(2, 3), {}, Today, SaveKind::Leaving), DaysSaved::Written);
    EXPECT_EQ(DaysOnDisk(disk)[earlier], Typed(19, 100));
}

} // namespace
