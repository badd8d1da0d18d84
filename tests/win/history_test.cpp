// The per-day history on disk, beside the data file: written with every save,
// left untouched when it cannot be read, and the commands that read it beside
// a running Kivora.
#include <algorithm>
#include <numeric>
#include <cstdio>
#include <functional>
#include <string>

#include "app/command_line.h"
#include "history/history_book.h"
#include "history/history_file.h"
#include "history/pending_history.h"
#include "history/user_history.h"
#include "store/user_days.h"
#include "login/new_user_dialog.h"
#include "store/user_for_command.h"
#include "user_data_fixture.h"

namespace {

using namespace wintest;

std::string Header() { return std::string(HistoryHeader) + "\r\n"; }

// A day's line with the given seconds and counts by history key.
std::string DayLine(const LocalDate& date, int seconds, const std::map<int, int>& keys = {}, int activeMinutes = 0,
                    int bestMinute = 0)
{
    HistoryCounts counts;
    counts.seconds = seconds;
    counts.activeMinutes = activeMinutes;
    counts.bestMinute = bestMinute;
    for (auto [key, count] : keys)
        counts.keys[key] = count;
    std::string line;
    AppendHistoryLine(line, date, counts);
    return line;
}

// The text with each day's minutes and hours taken off: these come from the
// clock the test runs under (typing_time_test.cpp has them), the rest is the
// file's own.
std::string Untimed(const std::optional<std::string>& text)
{
    if (!text)
        return "(no file)";
    std::string out;
    for (std::size_t at = 0; at < text->size();) {
        LineSpan line = LineAt(*text, at);
        std::string content = text->substr(line.begin, line.contentEnd - line.begin);
        at = line.end;
        if (std::count(content.begin(), content.end(), ',') + 1 >= HistoryFieldCount) {
            for (int field = 0; field < HistoryTimeFieldCount; ++field)
                content.erase(content.rfind(','));
        }
        out += content + "\r\n";
    }
    return out;
}

class HistoryTest : public UserDataTest {
protected:
    std::string HistoryFile(const std::string& user = "taro") const { return DataFile(user + ".history.csv"); }
};

TEST_F(HistoryTest, AMinutesSaveWritesTheRunningDayAndLeavingWritesItIntoTheHistory)
{
    const LocalDate today = TodaysDate();
    const std::string older = DayLine(AddDays(today, -3), 120, {{0, 5}});
    const std::string unreadable = "2026-13-45,this,is,not,a,day\r\n";
    WriteBytes(HistoryFile(), Header() + older + unreadable);
    LogIn("taro.dat", {{1, 10}, {53, 30}});   // a: 10, 30 s of running time

    Lower('b').value += 3;
    Counters.TotalStrokes.value += 3;
    Counters.ClockSeconds.value += 20;
    ASSERT_EQ(SaveUserData(), 0);
    // Each minute the running day goes to the small file beside the history.
    EXPECT_EQ(ReadBytes(HistoryFile()), Header() + older + unreadable);
    std::string line = DayLine(today, 20, {{1, 3}});
    EXPECT_EQ(Untimed(ReadBytes(DataFile("taro.history.pending"))), Untimed(std::string(PendingHeader) + "\r\nfloor," + line));

    ASSERT_EQ(SaveUserData(SaveKind::Leaving), 0);
    EXPECT_EQ(Untimed(ReadBytes(HistoryFile())), Untimed(Header() + older + unreadable + line));
    // The three strokes, typed within one minute of one hour.
    HistoryBook book;
    ASSERT_EQ(book.Load(ReadBytes(HistoryFile()).value(), today), HistoryLoad::Loaded);
    const HistoryCounts written = book.CountsOn(today, HistoryCounts{}).value();
    EXPECT_EQ(written.activeMinutes, 1);
    EXPECT_EQ(written.bestMinute, 3);
    EXPECT_EQ(std::accumulate(written.hours.begin(), written.hours.end(), int64_t{0}), 3);
    EXPECT_FALSE(Exists(DataFile("taro.history.pending")));
    EXPECT_FALSE(Exists(HistoryFile() + ".tmp"));

    // A reset zeroes the totals; the day keeps what it counted.
    ResetMode = 1;
    ASSERT_EQ(ResetUserData(window_.Handle()), 0);
    Lower('b').value += 1;
    ASSERT_EQ(SaveUserData(SaveKind::Leaving), 0);
    EXPECT_EQ(Untimed(ReadBytes(HistoryFile())), Untimed(Header() + older + unreadable + DayLine(today, 20, {{1, 4}})));
    EXPECT_TRUE(catcher_.Shown().empty());
}

TEST_F(HistoryTest, HistoryThatCannotBeReadOrWrittenIsLeftAloneAndTheDataFileStillSaves)
{
    const std::string notHistory = "date,seconds\r\nsomething else\r\n";
    struct Case {
        const char* what;
        std::string bytes;
        bool readOnly;
        bool huge;   // 16 MiB and one byte, sparse
    } cases[] = {
        {"not a history: another header", notHistory, false, false},
        {"read-only file", Header() + DayLine(AddDays(TodaysDate(), -1), 5), true, false},
        {"larger than 16 MiB", Header(), false, true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        const std::string path = HistoryFile();
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteBytes(path, row.bytes);
        if (row.huge) {
            HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            LARGE_INTEGER end;
            end.QuadPart = static_cast<LONGLONG>(LargestHistoryFile) + 1;
            ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
            CloseHandle(file);
        }
        if (row.readOnly) {
            ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        WIN32_FILE_ATTRIBUTE_DATA before = {};
        GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &before);

        LogIn("taro.dat", {{2, 10}});
        Lower('b').value += 1;
        EXPECT_EQ(SaveUserData(), 0) << "the data file saves all the same";
        EXPECT_EQ(ReadBytes(DataFile("taro.dat")), Image({{2, 11}}));

        WIN32_FILE_ATTRIBUTE_DATA after = {};
        GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &after);
        EXPECT_EQ(after.nFileSizeLow, before.nFileSizeLow);
        EXPECT_EQ(after.nFileSizeHigh, before.nFileSizeHigh);
        EXPECT_EQ(CompareFileTime(&after.ftLastWriteTime, &before.ftLastWriteTime), 0) << "never written";
        if (!row.huge) {
            EXPECT_EQ(ReadBytes(path), row.bytes);
        }
        EXPECT_FALSE(Exists(path + ".tmp"));
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
}

TEST_F(HistoryTest, ANewUserStartsAnEmptyHistoryAndALeftoverOneIsKeptAside)
{
    const std::string leftover = Header() + DayLine(AddDays(TodaysDate(), -100), 60, {{2, 2}});
    const std::string earlierBackup = Header() + DayLine(AddDays(TodaysDate(), -400), 6, {{3, 3}});
    WriteBytes(HistoryFile("jiro"), leftover);
    WriteBytes(HistoryFile("jiro") + ".bak", earlierBackup);
    ASSERT_TRUE(CopyIfFits(NewUserName, sizeof NewUserName, "jiro"));
    ResetMode = 0;
    ASSERT_EQ(ResetUserData(window_.Handle()), 0);
    EXPECT_EQ(ReadBytes(HistoryFile("jiro") + ".bak"), earlierBackup) << "every backup is kept";
    EXPECT_EQ(ReadBytes(HistoryFile("jiro") + ".bak2"), leftover);

    ASSERT_EQ(SaveUserData(SaveKind::Leaving), 0);
    EXPECT_EQ(ReadBytes(HistoryFile("jiro")), Header()) << "no line for a day with nothing counted";

    // The second zeroing after the registration drops the day with the counts.
    NewUserPending = 1;
    Upper('Q').value += 4;
    Lower('q').value += 1;
    Counters.ClockSeconds.value += 9;
    RunRegistrationCheck();
    Lower('w').value += 2;
    ASSERT_EQ(SaveUserData(SaveKind::Leaving), 0);
    EXPECT_EQ(Untimed(ReadBytes(HistoryFile("jiro"))), Untimed(Header() + DayLine(TodaysDate(), 0, {{22, 2}})));
}

// ------------------------------------------------------ a held history

// No stroke or second counted while another program holds the history is
// missing from its day once the file can be written again, whether it was
// held from the login on or only for writing, and whether Kivora goes on
// or logs in again (as after a quit, a kill or the end of the session).
TEST_F(HistoryTest, DaysCountedWhileTheHistoryIsHeldReachItOnceItCanBeWritten)
{
    const LocalDate today = TodaysDate();
    const std::string older = DayLine(AddDays(today, -2), 60, {{0, 4}});
    struct Case {
        DWORD share;        // what the holder lets others do
        bool logInAgain;    // released only after a new login
        const char* what;
    } cases[] = {
        {FILE_SHARE_READ, false, "a spreadsheet, released while Kivora runs"},
        {FILE_SHARE_READ, true, "a spreadsheet, released after a quit"},
        {0, false, "held from the login on, released while Kivora runs"},
        {0, true, "held from the login on, released after a quit"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        WriteBytes(HistoryFile(), Header() + older + DayLine(today, 10, {{1, 1}}));
        DeleteFileA(DataFile("taro.history.pending").c_str());
        FileHolder holder(HistoryFile(), row.share);
        ASSERT_TRUE(holder.Holding());
        LogIn("taro.dat", {{2, 1}, {53, 10}});
        Lower('b').value += 3;
        Counters.ClockSeconds.value += 20;
        ASSERT_EQ(SaveUserData(SaveKind::Leaving), 0) << "the data file saves all the same";
        std::string name, pending;
        EXPECT_TRUE(HistoryRisk(name, pending).historyHeld);
        EXPECT_EQ(name, "taro.history.csv");
        EXPECT_TRUE(Exists(DataFile("taro.history.pending")));
        Lower('b').value += 2;
        ASSERT_EQ(SaveUserData(), 0);
        if (row.logInAgain)
            LogIn("taro.dat", {{2, 6}, {53, 30}});   // what the last save wrote
        holder.Release();
        Lower('b').value += 1;
        ASSERT_EQ(SaveUserData(SaveKind::Leaving), 0);

        EXPECT_EQ(Untimed(ReadBytes(HistoryFile())), Untimed(Header() + older + DayLine(today, 30, {{1, 7}})));
        EXPECT_FALSE(Exists(DataFile("taro.history.pending")));
        EXPECT_FALSE(HistoryRisk(name, pending).historyHeld);
    }
}

// The pending file is folded once, whatever instant a kill came at: floors
// can be folded again and again, adds only once.
TEST_F(HistoryTest, PendingDaysAreFoldedOnceWhereverAKillCame)
{
    const LocalDate today = TodaysDate();
    const LocalDate yesterday = AddDays(today, -1);
    auto pending = [](const std::vector<PendingDay>& days) { return FormatPending(days); };
    HistoryCounts five;
    five.keys[1] = 5;
    five.seconds = 50;
    struct Case {
        std::string history;
        std::string pending;
        std::string expected;   // after a login and a save with nothing counted
        const char* what;
    } cases[] = {
        {Header() + DayLine(yesterday, 10, {{1, 1}}), pending({{yesterday, five, {}}}),
         Header() + DayLine(yesterday, 50, {{1, 5}}), "killed before the history was written: the floor"},
        {Header() + DayLine(yesterday, 50, {{1, 5}}), pending({{yesterday, five, {}}}),
         Header() + DayLine(yesterday, 50, {{1, 5}}), "killed after it was written: nothing twice"},
        {Header() + DayLine(yesterday, 10, {{1, 1}}), pending({{yesterday, {}, five}}),
         Header() + DayLine(yesterday, 60, {{1, 6}}), "counted while it could not be read: added once"},
        {Header(), pending({{yesterday, {}, five}}), Header() + DayLine(yesterday, 50, {{1, 5}}),
         "a day the history did not have"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        WriteBytes(HistoryFile(), row.history);
        WriteBytes(DataFile("taro.history.pending"), row.pending);
        LogIn("taro.dat", {});
        LogIn("taro.dat", {});   // a second login before any save folds the same
        ASSERT_EQ(SaveUserData(), 0);
        EXPECT_EQ(ReadBytes(HistoryFile()), row.expected);
        EXPECT_FALSE(Exists(DataFile("taro.history.pending")));
    }
}

// A pending file held at the login is neither lost nor written over: the
// history waits for it.
TEST_F(HistoryTest, PendingThatCannotBeReadYetIsWaitedFor)
{
    const LocalDate today = TodaysDate();
    const LocalDate yesterday = AddDays(today, -1);
    HistoryCounts five;
    five.keys[1] = 5;
    const std::string pending = FormatPending({{yesterday, five, {}}});
    WriteBytes(HistoryFile(), Header() + DayLine(yesterday, 0, {{1, 1}}));
    WriteBytes(DataFile("taro.history.pending"), pending);
    FileHolder backup(DataFile("taro.history.pending"), 0);
    LogIn("taro.dat", {});
    Lower('b').value += 2;
    ASSERT_EQ(SaveUserData(), 0);
    EXPECT_EQ(ReadBytes(HistoryFile()), Header() + DayLine(yesterday, 0, {{1, 1}}));
    backup.Release();
    EXPECT_EQ(ReadBytes(DataFile("taro.history.pending")), pending);
    ASSERT_EQ(SaveUserData(), 0);
    EXPECT_EQ(Untimed(ReadBytes(HistoryFile())), Untimed(Header() + DayLine(yesterday, 0, {{1, 5}}) + DayLine(today, 0, {{1, 2}})));
    EXPECT_FALSE(Exists(DataFile("taro.history.pending")));
}

// Each save reads the history again when another program has changed it:
// a day it added or raised keeps its number, a day Kivora is counting keeps
// the larger of the two plus what Kivora counted since; a file that is not a
// history is never written over, and the days wait for the real one.
TEST_F(HistoryTest, ChangesMadeWhileKivoraRunsAreKept)
{
    const LocalDate today = TodaysDate();
    const LocalDate yesterday = AddDays(today, -1);
    const LocalDate earlier = AddDays(today, -9);
    auto lf = [](std::string line) { return line.substr(0, line.size() - 2) + "\n"; };
    WriteBytes(HistoryFile(), Header() + DayLine(yesterday, 5, {{0, 1}}));
    LogIn("taro.dat", {});
    Lower('b').value = 3;
    ASSERT_EQ(SaveUserData(SaveKind::Leaving), 0);

    // A text editor raises yesterday in place: the same size, the same file,
    // maybe the same second.
    std::string edited = ReadBytes(HistoryFile()).value();
    const std::string was = DayLine(yesterday, 5, {{0, 1}});
    edited.replace(edited.find(was), was.size(), DayLine(yesterday, 5, {{0, 7}}));
    HANDLE file = CreateFileA(HistoryFile().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, edited.data(), static_cast<DWORD>(edited.size()), &written, nullptr));
    CloseHandle(file);
    Lower('b').value = 4;
    ASSERT_EQ(SaveUserData(SaveKind::Leaving), 0);
    EXPECT_EQ(Untimed(ReadBytes(HistoryFile())), Untimed(Header() + DayLine(yesterday, 5, {{0, 7}}) + DayLine(today, 0, {{1, 4}})));

    // A spreadsheet saves it back in its own form, a day of its own added and
    // today's b raised to 9: today goes on from the larger number.
    WriteBytes(HistoryFile(), "\xEF\xBB\xBF" + std::string(HistoryHeader) + "\n" + lf(DayLine(earlier, 1, {{2, 2}})) +
                                  lf(DayLine(yesterday, 5, {{0, 7}})) + lf(DayLine(today, 0, {{1, 9}})));
    Lower('b').value = 6;
    ASSERT_EQ(SaveUserData(SaveKind::Leaving), 0);
    const std::string kept = Header() + DayLine(earlier, 1, {{2, 2}}) + DayLine(yesterday, 5, {{0, 7}});
    EXPECT_EQ(Untimed(ReadBytes(HistoryFile())), Untimed(kept + DayLine(today, 0, {{1, 11}}))) << "the larger of 9 and 4, and 2 more";

    // Something that is not a history in its place is never written over.
    const std::string history = ReadBytes(HistoryFile()).value();
    const std::string picture = "\x89PNG\r\n\x1a\n";
    WriteBytes(HistoryFile(), picture);
    Lower('b').value = 8;
    ASSERT_EQ(SaveUserData(SaveKind::Leaving), 0);
    EXPECT_EQ(ReadBytes(HistoryFile()), picture);
    EXPECT_TRUE(Exists(DataFile("taro.history.pending")));
    WriteBytes(HistoryFile(), history);   // put back
    Lower('b').value = 9;
    ASSERT_EQ(SaveUserData(SaveKind::Leaving), 0);
    EXPECT_EQ(Untimed(ReadBytes(HistoryFile())), Untimed(kept + DayLine(today, 0, {{1, 14}})));
    EXPECT_FALSE(Exists(DataFile("taro.history.pending")));
}

// A pending file saved back by a spreadsheet is read as the same days; one
// that is not a pending file at all is kept aside, never written over, and
// one with a line that cannot be read is kept as a copy.
TEST_F(HistoryTest, PendingFileThatCannotBeReadAsItIsIsNeitherLostNorWrittenOver)
{
    const LocalDate yesterday = AddDays(TodaysDate(), -1);
    HistoryCounts five;
    five.keys[1] = 5;
    const std::string pending = FormatPending({{yesterday, {}, five}});
    std::string spreadsheet = "\xEF\xBB\xBF";
    for (std::size_t at = 0; at < pending.size();) {
        LineSpan line = LineAt(pending, at);
        at = line.end;
        std::string quoted = "\"";
        for (char c : pending.substr(line.begin, line.contentEnd - line.begin))
            quoted += c == ',' ? std::string("\",\"") : std::string(1, c);
        spreadsheet += quoted + "\"\n";
    }
    const std::string folded = Header() + DayLine(yesterday, 0, {{1, 6}});
    struct Case {
        std::string pending;
        std::string expected;   // the history after a login and a save
        bool keptAside;         // the file as it was is in .bak
        const char* what;
    } cases[] = {
        {spreadsheet, folded, false, "a spreadsheet's form: read"},
        {pending + "a note the user typed in\r\n", folded, true, "a line that cannot be read: kept in a copy"},
        {"floor,whatever\r\n", Header() + DayLine(yesterday, 0, {{1, 1}}), true, "not a pending file: kept aside"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        DeleteFileA(DataFile("taro.history.pending.bak").c_str());
        WriteBytes(HistoryFile(), Header() + DayLine(yesterday, 0, {{1, 1}}));
        WriteBytes(DataFile("taro.history.pending"), row.pending);
        LogIn("taro.dat", {});
        ASSERT_EQ(SaveUserData(), 0);
        EXPECT_EQ(ReadBytes(HistoryFile()), row.expected);
        EXPECT_FALSE(Exists(DataFile("taro.history.pending")));
        EXPECT_EQ(ReadBytes(DataFile("taro.history.pending.bak")),
                  row.keptAside ? std::optional<std::string>(row.pending) : std::nullopt);
    }
}

// A history that would grow past what the reader takes is not written: what
// it holds stays readable, the new days wait, and the icon tells it once.
TEST_F(HistoryTest, HistoryAtItsSizeLimitIsNotWrittenPastIt)
{
    std::string kept = Header() + "x\r\n";
    const std::string filler = std::string(1000, 'y') + "\r\n";   // lines that cannot be read are kept
    while (kept.size() + filler.size() < LargestHistoryFile)
        kept += filler;
    kept += std::string(LargestHistoryFile - 50 - kept.size() - 2, 'z') + "\r\n";
    WriteBytes(HistoryFile(), kept);
    static std::vector<std::string> told;
    told.clear();
    SetNoticeBalloon([](const char* title, const char* text) {
        told.push_back(title);
        told.push_back(text);
        return true;
    });
    LogIn("taro.dat", {});
    for (int minute = 0; minute < 2; ++minute) {
        Lower('b').value += 2;
        ASSERT_EQ(SaveUserData(SaveKind::Leaving), 0);
    }
    EXPECT_EQ(ReadBytes(HistoryFile()), kept) << "never past the limit";
    EXPECT_TRUE(Exists(DataFile("taro.history.pending")));
    ASSERT_EQ(told.size(), 2u) << "told once";
    EXPECT_EQ(told[0], "Kivora: 日ごとの記録が 16 MB に達しました");
    EXPECT_NE(told[1].find("taro.history.pending に保存するので、失われません"), std::string::npos) << told[1];
    std::string name, pending;
    LeavingRisk risk = HistoryRisk(name, pending);
    EXPECT_FALSE(risk.historyHeld || risk.daysLost) << "nobody holds it: no question when leaving";
    SetNoticeBalloon(nullptr);
    NoteOutcome(Notice::HistoryFull, true);
}

// ------------------------------------------------------------ the command

TEST_F(HistoryTest, ExportCommandWritesTheTableBesideARunningKivora)
{
    const LocalDate today = TodaysDate();
    // b, e and the down arrow counted on days inside and outside the windows;
    // two of them with their minutes, which every day adds up for all time.
    WriteBytes(HistoryFile(), Header() + DayLine(AddDays(today, -40), 50, {{1, 1000}}, 9, 8) +
                                  DayLine(AddDays(today, -29), 40, {{1, 100}}) +
                                  DayLine(AddDays(today, -7), 30, {{1, 10}}) +
                                  DayLine(AddDays(today, -6), 20, {{4, 7}}, 3, 5) + "junk\r\n" +
                                  DayLine(today, 10, {{1, 1}, {65, 2}}));
    WriteBytes(DataFile("taro.dat"), Image({{2, 1111}, {5, 7}, {71, 2}, {53, 5}, {54, 2}, {55, 1}, {56, 1120}}));
    WriteBytes(DataFile("taro.keys.csv"), "key,count\r\nspace,40\r\nb,1\r\n");   // b is the data file's
    const std::string before = ReadBytes(DataFile("taro.dat")).value();
    // A running Kivora holds the single-instance lock.
    HANDLE running = CreateMutexA(nullptr, FALSE, "MyInstance");

    ASSERT_EQ(RunKivora(folder_.Path(), "/export taro out.csv"), CommandDone);

    std::string expected = "key,total,today,last7,last30\r\n";
    for (int key = 0; key < HistoryKeyCount; ++key) {
        static const std::map<int, std::string> rows = {
            {1, "b,1111,1,1,111"}, {4, "e,7,0,7,7"}, {65, "down,2,2,2,2"}, {DataFileKeyCount, "space,40,0,0,0"}};
        auto row = rows.find(key);
        if (key == DataFileKeyCount)
            expected += "all,1120,3,10,120\r\nseconds,3725,10,30,100\r\nallkeys,1160,3,10,120\r\n";
        expected += row != rows.end() ? row->second : std::string(KeyTable[key].column) + ",0,0,0,0";
        expected += "\r\n";
    }
    expected += "activeminutes,12,0,3,3\r\nbestminute,8,0,5,5\r\n";
    EXPECT_EQ(ReadBytes(folder_ / "out.csv"), expected);
    EXPECT_EQ(ReadBytes(DataFile("taro.dat")), before) << "the user's files are only read";
    EXPECT_EQ(ListFolder(DataFolder()).size(), 3u);

    struct Case {
        const char* arguments;
        int exitCode;
        const char* what;
    } cases[] = {
        {"/export hanako refused.csv", CommandUnknownUser, "no such user"},
        {"/export taro", CommandWrongArguments, "no file"},
        {"/export taro a.csv b.csv", CommandWrongArguments, "one file too many"},
        {"/export taro data", CommandUnwritable, "a folder"},
        {"/export taro nowhere\\refused.csv", CommandUnwritable, "a folder that does not exist"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(RunKivora(folder_.Path(), row.arguments), row.exitCode);
    }
    EXPECT_FALSE(Exists(folder_ / "refused.csv"));
    EXPECT_FALSE(Exists(folder_ / "a.csv"));

    WriteBytes(HistoryFile(), "not,a,history\r\n");
    EXPECT_EQ(RunKivora(folder_.Path(), "/export taro unread.csv"), CommandUnreadable);
    EXPECT_FALSE(Exists(folder_ / "unread.csv"));
    CloseHandle(running);
}

// Beside a Kivora that cannot write its history, the days wait in the pending
// file: the commands count them as the next login will.
TEST_F(HistoryTest, CommandsCountTheDaysThatWaitInThePendingFile)
{
    HistoryCounts five;
    five.keys[1] = 5;
    WriteBytes(HistoryFile(), Header() + DayLine(TodaysDate(), 0, {{1, 1}}));
    WriteBytes(DataFile("taro.history.pending"), FormatPending({{TodaysDate(), five, {}}}));
    WriteBytes(DataFile("taro.dat"), Image({{2, 5}, {56, 5}}));
    ASSERT_EQ(RunKivora(folder_.Path(), "/export taro out.csv"), CommandDone);
    const std::string table = ReadBytes(folder_ / "out.csv").value_or("");
    EXPECT_NE(table.find("\r\nb,5,5,5,5\r\n"), std::string::npos) << table;

    // Held by another program, as at a login: waited for a moment, then
    // refused with a line that says why, rather than counted without it.
    FileHolder backup(DataFile("taro.history.pending"), 0);
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    const std::string errors = folder_ / "errors.txt";
    HANDLE errorFile = CreateFileA(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0,
                                   nullptr);
    EXPECT_EQ(RunKivora(folder_.Path(), L"/export taro held.csv", errorFile), CommandUnreadable);
    CloseHandle(errorFile);
    EXPECT_FALSE(Exists(folder_ / "held.csv"));
    EXPECT_NE(ReadBytes(errors).value_or("").find("（taro.history.pending）を読み込めません。"), std::string::npos);
}

// A command writes the file it is named, whatever its characters, and never
// one of Kivora's own files or a file that happens to bear its temporary name.
TEST_F(HistoryTest, CommandsWriteTheFileNamedAndNothingElse)
{
    WriteBytes(HistoryFile(), Header() + DayLine(TodaysDate(), 10, {{1, 1}}));
    WriteBytes(DataFile("taro.dat"), Image({{2, 5}, {56, 5}}));
    WriteBytes(folder_ / "set.ini", "[setup]\r\nAUTOSTART=0\r\n");
    WriteBytes(folder_ / "out.csv.tmp", "somebody's file");
    const std::string history = ReadBytes(HistoryFile()).value();
    auto exists = [&](const wchar_t* name) {
        return GetFileAttributesW((WideOf(folder_.Path()) + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    // Each run's standard error, in a file it inherits.
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    const std::string errors = folder_ / "errors.txt";
    auto run = [&](const wchar_t* arguments) {
        HANDLE errorFile = CreateFileA(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                                       0, nullptr);
        int exitCode = RunKivora(folder_.Path(), arguments, errorFile);
        CloseHandle(errorFile);
        return exitCode;
    };
    struct Case {
        const wchar_t* arguments;
        int exitCode;
        const wchar_t* written;   // the file that must then exist, or null
        const char* told;         // how the standard error begins
        int lines;                // a failure says one line, a success nothing, a mistyped command its usage
        const char* what;
    } cases[] = {
        {L"/export taro caf\u00e9.csv", CommandDone, L"caf\u00e9.csv", "", 0, "a name beyond code page 932"},
        {L"/heatmap taro \u00fcber.png all", CommandDone, L"\u00fcber.png", "", 0, "a picture too"},
        {L"/export taro out.csv", CommandDone, L"out.csv", "", 0, "FILE.tmp beside it is someone else's"},
        {L"/export taro data\\taro.history.csv", CommandUnwritable, nullptr, "書き込み先が Kivora の", 1, "the user's history"},
        {L"/export taro DATA\\TARO.DAT", CommandUnwritable, nullptr, "書き込み先が Kivora の", 1, "the data file, in other letters"},
        {L"/heatmap taro data\\picture.png", CommandUnwritable, nullptr, "書き込み先が Kivora の", 1, "anything in the data folder"},
        {L"/export taro .\\set.ini", CommandUnwritable, nullptr, "書き込み先が Kivora の", 1, "the settings file"},
        {L"/export taro nofolder\\out.csv", CommandUnwritable, nullptr, "ファイルに書き込めませんでした。", 1, "a folder that is not there"},
        {L"/export t\u00e0ro other.csv", CommandUnknownUser, nullptr, "ユーザー名に使えない文字", 1, "a user name no data file can have"},
        {L"/export jiro other.csv", CommandUnknownUser, nullptr, "ユーザー「jiro」が見つかりません。", 1, "a user without a data file"},
        {L"/heatmap taro other.png yesterday", CommandWrongArguments, nullptr,
         "指定が正しくありません。使い方: Kivora.exe /heatmap ", 1, "a period that is none"},
        {L"/exprot taro other.csv", CommandWrongArguments, nullptr, "使い方:\r\n  Kivora.exe /export ", 6,
         "a mistyped command starts nothing and says how the commands are used, one line each"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(run(row.arguments), row.exitCode);
        if (row.written != nullptr) {
            EXPECT_TRUE(exists(row.written));
        }
        std::string told = ReadBytes(errors).value_or("");
        EXPECT_EQ(told.rfind(row.told, 0), 0u) << told;
        EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), row.lines) << told;
    }
    EXPECT_FALSE(exists(L"cafe.csv")) << "not bent into another name";
    EXPECT_FALSE(exists(L"other.csv"));
    EXPECT_FALSE(exists(L"other.png"));
    EXPECT_FALSE(exists(L"data\\picture.png"));
    EXPECT_EQ(ReadBytes(HistoryFile()), history);
    EXPECT_EQ(ReadBytes(DataFile("taro.dat")), Image({{2, 5}, {56, 5}}));
    EXPECT_EQ(ReadBytes(folder_ / "set.ini"), "[setup]\r\nAUTOSTART=0\r\n");
    EXPECT_EQ(ReadBytes(folder_ / "out.csv.tmp"), "somebody's file");

    // All time is the data file's: a history that cannot be read stops only
    // the periods that need it.
    WriteBytes(HistoryFile(), "not,a,history\r\n");
    EXPECT_EQ(RunKivora(folder_.Path(), L"/heatmap taro all.png all"), CommandDone);
    EXPECT_EQ(RunKivora(folder_.Path(), L"/heatmap taro today.png today"), CommandUnreadable);
    EXPECT_TRUE(exists(L"all.png"));
    EXPECT_FALSE(exists(L"today.png"));
}

} // namespace
