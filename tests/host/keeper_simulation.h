#pragma once
// A deterministic simulation of the keeper of the days: a seeded random walk
// through long sequences of what happens to a running Kivora and its files
// (strokes, strokes into programs, the minute's saves, midnights, the clock
// set back, a reset, holds and releases, read-only files, failed writes,
// reads refused after the open, edits and stale copies written by other
// programs, files that are not Kivora's put in place, a spreadsheet's forms
// and padding, kills at any write, quits, log-offs, the end of the session,
// logins, a new user registered under the name of an earlier one whose files
// are still there, and the zeroing of the new user's first stroke), against a
// disk in memory that is as unkind as Windows: it keeps each file whole (the
// old or the new, never a mix), its clock ticks seldom, so that two writes
// can share a stamp, a file that nobody may open can still be looked at, and
// a read can fail after the open. After every event it checks what must
// always hold:
//
//  - Durable: after a save that says the days are on disk, every stroke and
//    second that must be there is: the history with the pending days folded
//    in holds at least it.
//  - Others' writes stand: what another program wrote into the history is
//    never taken back by Kivora (it folds in, never writes an older copy).
//  - Bounded: each day holds at least what Kivora counted for it and cannot
//    have lost, less what other programs took away, and at most all it
//    counted plus what other programs added: nothing lost, nothing doubled.
//    A day nobody else touched and no kill cost anything holds exactly it.
//  - Own files only: nothing is written over or removed that is not
//    Kivora's (a file that is not a history, a pending file it cannot read).
//  - Leaving: a quit or log-off that asks nothing (as the program asks:
//    MustAskBeforeLeaving) leaves every counted stroke on disk, and once its
//    save wrote the history, in the history alone; once the files are free,
//    a save asks nothing.
//  - A day's cost: a minute's save, when nothing but the running day has
//    changed since the last one, writes neither the history nor apps.csv.
//  - Kept aside: a line the user typed into a file of Kivora's is never
//    written over unless a backup holds it.
//  - An earlier user's files are never read or written as the new user's,
//    across restarts too.
//  - Order: a kill never leaves a stroke in the data file's totals that is in
//    no day on disk.
//  - Shown: once saved, the days the windows show are the days on disk.
//
// The same holds for apps.csv, the days' strokes per program, program by
// program.
//
// One failing seed is a test that can be replayed: Simulate(seed) again.
#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "history/history_keeper.h"

namespace keepersim {

struct Killed {};   // thrown by the disk where the process dies

enum class Holder { None, Spreadsheet, Exclusive };   // readers allowed / nobody opens it

// A line of the user's own in a file of Kivora's: kept in a backup before
// Kivora writes over it.
constexpr std::string_view UserNote = "a note the user typed in";

struct SimFile {
    bool exists = false;
    std::string text;
    uint64_t time = 0;       // the file system's clock at the last write
    uint64_t identity = 0;
    bool foreign = false;   // not Kivora's: never to be written over
    Holder holder = Holder::None;
    bool readOnly = false;
    int failingWrites = 0;
    int failingReads = 0;    // opened, then not read whole (a locked range, an I/O error)
};

class SimDisk final : public HistoryDisk {
public:
    SimFile files[3];
    bool marks[3] = {};            // the files marked as an earlier user's
    std::vector<std::string> backups[3];
    std::vector<std::string> violations;
    int killCountdown = -1;   // writes to go before the kill; -1: none
    bool killTakesEffect = false;
    uint64_t identities = 0;
    uint64_t clock = 1;       // ticks seldom: two writes may share a time
    bool forgettingApps = false;   // the user deletes apps.csv, notes and all

    SimFile& Of(DiskFile file) { return files[static_cast<int>(file)]; }

    // Another program's write: the time is the clock's, the identity new
    // when it saves by replacing.
    void Touch(SimFile& file, bool newIdentity)
    {
        file.time = clock;
        if (newIdentity || file.identity == 0)
            file.identity = ++identities;
    }

    FileRead Read(DiskFile which, std::string& text, FileStamp& stamp) override
    {
        SimFile& file = Of(which);
        if (!file.exists)
            return FileRead::Missing;
        if (file.holder == Holder::Exclusive)
            return FileRead::Held;
        if (file.text.size() > LargestHistoryFile)
            return FileRead::Refused;
        if (file.failingReads > 0) {
            --file.failingReads;
            return FileRead::Unreadable;
        }
        text = file.text;
        stamp = StampOf(file);
        return FileRead::Read;
    }
    // As Windows opens a file with no access asked: even one that nobody
    // may open.
    bool Stamp(DiskFile which, FileStamp& stamp) override
    {
        SimFile& file = Of(which);
        if (!file.exists)
            return false;
        stamp = StampOf(file);
        return true;
    }
    bool Replace(DiskFile which, std::initializer_list<std::string_view> pieces) override
    {
        SimFile& file = Of(which);
        if (!Writable(file))
            return false;
        std::string text;
        for (std::string_view piece : pieces)
            text += piece;
        return Write([&] {
            if (file.exists && file.foreign)
                violations.push_back("wrote over a file that is not Kivora's");
            CheckNoteKept(which);
            file.exists = true;
            file.foreign = false;
            file.text = std::move(text);
            file.time = clock;
            file.identity = ++identities;
        });
    }
    bool Remove(DiskFile which) override
    {
        SimFile& file = Of(which);
        if (!file.exists)
            return true;
        if (!Writable(file))
            return false;
        return Write([&] {
            if (file.foreign)
                violations.push_back("removed a file that is not Kivora's");
            CheckNoteKept(which);
            file = SimFile{};
        });
    }
    bool Mark(DiskFile which, bool earlierUsers) override
    {
        return Write([&] { marks[static_cast<int>(which)] = earlierUsers; });
    }
    bool Marked(DiskFile which) override { return marks[static_cast<int>(which)]; }
    bool Exists(DiskFile which) override { return Of(which).exists; }
    bool CopyAside(DiskFile which) override
    {
        SimFile& file = Of(which);
        if (file.holder == Holder::Exclusive)
            return false;
        return Write([&] { backups[static_cast<int>(which)].push_back(file.text); });
    }
    bool MoveAside(DiskFile which) override
    {
        SimFile& file = Of(which);
        if (file.holder != Holder::None)
            return false;
        return Write([&] {
            backups[static_cast<int>(which)].push_back(file.text);
            file = SimFile{};
        });
    }

    // Each write of the process (the data file's too) may be where it dies.
    template <typename Change>
    bool Write(Change change)
    {
        if (killCountdown == 0) {
            killCountdown = -1;
            if (killTakesEffect)
                change();
            throw Killed{};
        }
        if (killCountdown > 0)
            --killCountdown;
        change();
        return true;
    }

private:
    static FileStamp StampOf(const SimFile& file) { return {file.text.size(), file.time, file.identity}; }
    void CheckNoteKept(DiskFile which)
    {
        const SimFile& file = Of(which);
        if (file.text.find(UserNote) == std::string::npos || (forgettingApps && which == DiskFile::Apps))
            return;
        for (const std::string& backup : backups[static_cast<int>(which)]) {
            if (backup.find(UserNote) != std::string::npos)
                return;
        }
        violations.push_back("wrote over a line the user typed, with no backup of it");
    }
    static bool Writable(SimFile& file)
    {
        if (file.holder != Holder::None || file.readOnly)
            return false;
        if (file.failingWrites > 0) {
            --file.failingWrites;   // a full disk, for this one write
            return false;
        }
        return true;
    }
};

using DayMap = std::map<LocalDate, HistoryCounts>;
using AppDayMap = std::map<LocalDate, AppCounts>;

// Reads the texts as a login would, nothing held.
class TextDisk final : public HistoryDisk {
public:
    std::optional<std::string> texts[3];
    FileRead Read(DiskFile file, std::string& text, FileStamp&) override
    {
        const auto& held = texts[static_cast<int>(file)];
        if (!held)
            return FileRead::Missing;
        text = *held;
        return FileRead::Read;
    }
    bool Stamp(DiskFile, FileStamp&) override { return false; }
    bool Replace(DiskFile, std::initializer_list<std::string_view>) override { return false; }
    bool Remove(DiskFile) override { return false; }
    bool Exists(DiskFile file) override { return texts[static_cast<int>(file)].has_value(); }
    bool MoveAside(DiskFile) override { return false; }
    bool CopyAside(DiskFile) override { return false; }
    bool Mark(DiskFile, bool) override { return false; }
    bool Marked(DiskFile file) override { return marks[static_cast<int>(file)]; }
    bool marks[3] = {};
};

inline DayMap DaysOf(const HistoryBook& book)
{
    DayMap days;
    for (const HistoryDay& day : book.Days(HistoryCounts{}))
        days[day.date] = day.counts;
    return days;
}

// A history's days; none for a text that is not one.
inline DayMap DaysOfHistory(const std::string& text, const LocalDate& today)
{
    HistoryBook book;
    if (book.Load(text, today) != HistoryLoad::Loaded)
        return {};
    return DaysOf(book);
}

// An apps file's days; none for a text that is not one.
inline AppDayMap DaysOfApps(const std::string& text)
{
    AppBook book;
    return book.Load(text) == AppsLoad::Loaded ? book.Days() : AppDayMap{};
}

// A CSV line with every field quoted, as a spreadsheet may save it.
inline std::string QuotedEvery(std::string_view line)
{
    std::string out = "\"";
    bool quoted = false;
    for (std::size_t at = 0; at < line.size(); ++at) {
        char c = line[at];
        if (quoted && c == '"' && at + 1 < line.size() && line[at + 1] == '"') {
            out += "\"\"";
            ++at;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            out += "\",\"";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// The programs' days as Kivora writes them, or as a spreadsheet saves them
// back: a byte-order mark, LF, every field quoted, the lines backwards.
inline std::string AppsOf(const AppDayMap& days, bool spreadsheet)
{
    AppBook book;
    for (const auto& [date, counts] : days)
        book.Set(date, counts);
    if (!spreadsheet)
        return book.Render();
    std::string saved = "\xEF\xBB\xBF\"date\",\"app\",\"strokes\"\n";
    for (auto day = days.rbegin(); day != days.rend(); ++day) {
        for (const AppCount& count : day->second) {
            if (count.strokes <= 0)
                continue;
            std::string app;
            for (char c : count.app)
                app += c == '"' ? std::string("\"\"") : std::string(1, c);
            saved += "\"" + std::to_string(day->first.year) + "/" + std::to_string(day->first.month) + "/" +
                     std::to_string(day->first.day) + "\",\"" + app + "\",\"" + std::to_string(count.strokes) + "\"\n";
        }
    }
    return saved;
}

inline std::string HistoryOf(const DayMap& days, bool spreadsheet, std::mt19937& random)
{
    std::string text(HistoryHeader);
    text += "\r\n";
    for (const auto& [date, counts] : days)
        AppendHistoryLine(text, date, counts);
    if (!spreadsheet)
        return text;
    // As a spreadsheet saves it back: a byte-order mark, LF, the dates as
    // 2026/1/2, maybe every field quoted.
    bool quoted = random() % 2 == 0;
    std::string saved = "\xEF\xBB\xBF";
    std::size_t at = 0;
    while (at < text.size()) {
        LineSpan line = LineAt(text, at);
        std::string content = text.substr(line.begin, line.contentEnd - line.begin);
        at = line.end;
        if (std::optional<LocalDate> date = ParseLocalDate(std::string_view(content).substr(0, 10));
            date && content.size() > 10) {
            content = std::to_string(date->year) + "/" + std::to_string(date->month) + "/" +
                      std::to_string(date->day) + content.substr(10);
        }
        if (quoted) {
            std::string fields = "\"";
            for (char c : content)
                fields += c == ',' ? std::string("\",\"") : std::string(1, c);
            content = fields + "\"";
        }
        saved += content + "\n";
    }
    return saved;
}

struct Figures {
    long sequences = 0, events = 0, checks = 0, saves = 0, kills = 0, edits = 0, registrations = 0, leaves = 0;
};

// The first seed of a block that no run has seen: from the clock and the
// system's entropy, so that each run of the tests walks sequences of its own
// beside the fixed ones (which stay below 2^31).
inline uint32_t FreshSeed()
{
    const auto now = static_cast<uint64_t>(std::time(nullptr));
    return (static_cast<uint32_t>(now * 2654435761u) ^ std::random_device{}()) | 1u << 31;
}

// One sequence of events from a seed. Returns what went wrong, or "".
class Simulation {
public:
    explicit Simulation(uint32_t seed, Figures& figures) : random_(seed), figures_(figures) {}

    std::string Run(int events)
    {
        ++figures_.sequences;
        Login();
        for (int event = 0; event < events && failure_.empty(); ++event) {
            ++figures_.events;
            Step();
            if (!disk_.violations.empty())
                Fail(disk_.violations.front());
        }
        if (failure_.empty())
            Checkpoint();
        return failure_;
    }

private:
    // What the program does, in the order it does it.
    void Login()
    {
        counts_ = dataFile_;
        keeper_.Login(disk_, counts_, apps_, date_);
        loggedIn_ = true;
        quiet_ = false;
        seen_[0] = disk_.Of(DiskFile::History);
        seen_[1] = disk_.Of(DiskFile::Apps);
        Note("login");
        if (!Same(keeper_.Today(), date_))
            Fail("the running day is not today after a login");
    }

    // A save: the days first, then the totals. A minute's save that finds
    // nothing changed but the running day's counts (quiet) costs a day's
    // bytes: neither the history nor apps.csv is written.
    void Save(SaveKind kind = SaveKind::Minute)
    {
        ++figures_.saves;
        const bool quiet = quiet_ && kind == SaveKind::Minute && keeper_.State() == KeeperState::Open;
        const SimFile historyBefore = disk_.Of(DiskFile::History), appsBefore = disk_.Of(DiskFile::Apps);
        DaysSaved saved = keeper_.Save(disk_, counts_, apps_, date_, kind);
        static constexpr const char* Saved[] = {"written", "pending", "full", "in memory"};
        Note(std::string(kind == SaveKind::Minute ? "save: " : "save for leaving: ") + Saved[static_cast<int>(saved)]);
        const SimFile& history = disk_.Of(DiskFile::History);
        const SimFile& apps = disk_.Of(DiskFile::Apps);
        // What the keeper looked at: a file it wrote, or one whose stamp
        // moved (it reads that again); one whose stamp stayed, it did not.
        for (auto [now, seen] : {std::pair{&history, &seen_[0]}, std::pair{&apps, &seen_[1]}}) {
            if (now->exists != seen->exists || now->text.size() != seen->text.size() || now->time != seen->time ||
                now->identity != seen->identity)
                *seen = *now;
        }
        if (quiet && saved == DaysSaved::Written &&
            (history.identity != historyBefore.identity || apps.identity != appsBefore.identity))
            Fail("a minute's save with nothing but the running day to save wrote the history or apps.csv");
        quiet_ = saved == DaysSaved::Written && keeper_.State() == KeeperState::Open;
        if (saved != DaysSaved::InMemory) {
            durableLow_ = low_;
            durableAppLow_ = appLow_;
            durableCounts_ = counts_;
        }
        lastSaveDurable_ = saved != DaysSaved::InMemory;
        if (dataFileFails_ > 0) {
            --dataFileFails_;
        } else {
            disk_.Write([&] { dataFile_ = counts_; });
        }
        if (lastSaveDurable_)
            CheckOnDisk("after a save that put the days on disk", true);
    }

    void Crash()
    {
        ++figures_.kills;
        Note("killed");
        // Every stroke in the data file's totals must be in a day on disk.
        if (lastSaveDurable_ && !AtMost(dataFile_, durableCounts_))
            Fail("the data file holds strokes that no day on disk has");
        keeper_ = HistoryKeeper();
        disk_.forgettingApps = false;
        loggedIn_ = false;
        quiet_ = false;
        registered_ = false;
        low_ = durableLow_;   // what no save had put on disk may be lost
        appLow_ = durableAppLow_;
        apps_.clear();        // a new process counts its programs' strokes from none
    }

    void Step()
    {
        int roll = static_cast<int>(random_() % 100);
        Note("roll " + std::to_string(roll));
        if (random_() % 3 == 0)
            ++disk_.clock;   // else what happens next shares the tick
        // Anything but typing may change more than the running day.
        quiet_ = quiet_ && (roll < 27 || roll >= 90);
        try {
            if (registering_)
                Register();
            else if (!loggedIn_)
                Login();
            else if (roll < 27)
                Type();
            else if (roll < 29)
                Register();
            else if (roll < 30)
                ZeroFirstStroke();
            else if (roll < 45)
                Save();
            else if (roll < 50)
                NewDate(1 + static_cast<int>(random_() % 2));
            else if (roll < 52)
                NewDate(-1 - static_cast<int>(random_() % 3));
            else if (roll < 54)
                Reset();
            else if (roll < 64)
                ChangeAFile();
            else if (roll < 67)
                EditHistory();
            else if (roll < 70)
                EditApps();
            else if (roll < 75)
                ArmKill();
            else if (roll < 80)
                Leave(random_() % 2 == 0);
            else if (roll < 82)
                EndSession();
            else if (roll < 86)
                Checkpoint();
            else if (roll < 87)
                ++dataFileFails_;
            else if (roll < 88)
                disk_.Of(static_cast<DiskFile>(random_() % 3)).failingReads += 1 + static_cast<int>(random_() % 3);
            else if (roll < 90)
                ForgetApps();
            else
                Type();
        } catch (const Killed&) {
            Crash();
        }
    }

    void Type()
    {
        HistoryCounts typed;
        for (int strokes = 1 + static_cast<int>(random_() % 3); strokes > 0; --strokes)
            typed.keys[random_() % HistoryKeyCount] += 1 + random_() % 5;
        typed.seconds = random_() % 61;
        AddCounts(counts_, typed);
        AddCounts(low_[date_], typed);
        AddCounts(high_[date_], typed);
        if (random_() % 2 == 0) {
            // Into a program, named as the keeper names them: plain, with a
            // comma and a quote, in Japanese, or one that cannot be named.
            static const std::string_view Programs[] = {"notepad.exe", "a,b\"c.exe",
                                                        "\xE3\x83\xA1\xE3\x83\xA2.exe", UnknownApp};
            std::string_view program = Programs[random_() % 4];
            int64_t strokes = 1 + random_() % 6;
            AddAppStrokes(apps_, program, strokes);
            AddAppStrokes(appLow_[date_], program, strokes);
            AddAppStrokes(appHigh_[date_], program, strokes);
        }
    }

    // The user deletes the programs' strokes recorded so far. Refused or
    // killed midway, some of them may be gone and some may stay; done, none
    // may come back.
    void ForgetApps()
    {
        appLow_.clear();
        durableAppLow_.clear();
        othersWroteApps_.clear();
        disk_.forgettingApps = true;
        const bool forgotten = keeper_.ForgetApps(disk_, apps_);
        disk_.forgettingApps = false;
        if (!forgotten) {
            Note("programs not forgotten");
            return;
        }
        Note("programs forgotten");
        appHigh_.clear();
        appAdded_.clear();
        appTaken_.clear();
        if (stashedApps_)
            stashedApps_ = SimFile{};   // the user deletes the file a foreign one stood for
    }

    // The user deletes the data file and registers a new user of the same
    // name; the earlier user's days stay under the name, maybe held. They
    // are none of the new user's: moved aside whole, never read, written or
    // removed as the new user's, after a restart too.
    void Register()
    {
        ++figures_.registrations;
        keeper_.Close();
        loggedIn_ = false;
        registered_ = registering_ = true;
        for (SimFile& file : disk_.files) {
            if (file.exists)
                file.foreign = true;   // the earlier user's, as good as another program's
        }
        stashedHistory_.reset();
        stashedApps_.reset();
        staleCopy_.reset();
        staleApps_.reset();
        for (DayMap* days : {&low_, &durableLow_, &high_, &added_, &taken_, &othersWrote_})
            days->clear();
        for (AppDayMap* days : {&appLow_, &durableAppLow_, &appHigh_, &appAdded_, &appTaken_, &othersWroteApps_})
            days->clear();
        Note("registering");
        // A kill before the data file is made leaves no such user: the
        // next start registers again.
        HistoryKeeper::MarkEarlierUsersFiles(disk_);
        disk_.Write([&] {
            counts_ = dataFile_ = durableCounts_ = HistoryCounts{};
            lastSaveDurable_ = true;
            registering_ = false;
        });
        keeper_.StartNew(disk_, apps_, date_);
        loggedIn_ = true;
    }

    // The new user's first stroke zeroes the counts once more: the day drops
    // what it had counted (a kill before the next save may leave it on
    // disk) and what others wrote into it, and starts again from there.
    void ZeroFirstStroke()
    {
        if (!registered_)
            return Type();
        registered_ = false;
        // As a reset does it, then the day dropped.
        keeper_.Rebase(counts_, HistoryCounts{});
        counts_ = HistoryCounts{};
        disk_.Write([&] { dataFile_ = counts_; });
        keeper_.DropToday(counts_, apps_);
        for (DayMap* days : {&low_, &durableLow_, &othersWrote_})
            days->erase(date_);
        for (AppDayMap* days : {&appLow_, &durableAppLow_, &othersWroteApps_})
            days->erase(date_);
        Note("first stroke zeroed");
    }

    void NewDate(int days)
    {
        date_ = AddDays(date_, days);
        keeper_.KeepDate(date_, counts_, apps_);
    }

    void Reset()
    {
        keeper_.Rebase(counts_, HistoryCounts{});
        counts_ = HistoryCounts{};
        disk_.Write([&] { dataFile_ = counts_; });
    }

    // Another program holds, frees, refuses or replaces one of the files.
    void ChangeAFile()
    {
        DiskFile which = static_cast<DiskFile>(random_() % 3);
        SimFile& file = disk_.Of(which);
        switch (random_() % 7) {
        case 0:
            file.holder = random_() % 2 == 0 ? Holder::Spreadsheet : Holder::Exclusive;
            break;
        case 1:
        case 2:
            file.holder = Holder::None;
            break;
        case 3:
            file.readOnly = !file.readOnly;
            break;
        case 4:
            file.failingWrites += 1 + static_cast<int>(random_() % 2);
            break;
        case 5:
            if (which != DiskFile::Pending)
                PutForeignFile(which);
            break;
        case 6:
            if (which == DiskFile::Pending)
                PendingAsSpreadsheetSaves();
            else
                TakeForeignFileAway(which);
            break;
        }
    }

    // A file that is not Kivora's in the history's place (kept to be put
    // back), or where no pending file is.
    void PutForeignFile(DiskFile which)
    {
        SimFile& file = disk_.Of(which);
        if (file.holder != Holder::None || file.foreign || (which == DiskFile::Pending && file.exists))
            return;
        if (which != DiskFile::Pending)
            Stash(which) = file;
        file.exists = true;
        file.foreign = true;
        file.text = random_() % 2 == 0 ? "date,seconds\r\nnot a history\r\n" : "\x89PNG\r\n";
        disk_.Touch(file, true);
    }

    std::optional<SimFile>& Stash(DiskFile which)
    {
        return which == DiskFile::Apps ? stashedApps_ : stashedHistory_;
    }

    void TakeForeignFileAway(DiskFile which)
    {
        SimFile& file = disk_.Of(which);
        std::optional<SimFile>& stashed = Stash(which);
        if (!file.foreign || file.holder != Holder::None || !stashed)
            return;
        SimFile back = *stashed;
        back.holder = file.holder;
        back.readOnly = file.readOnly;
        back.failingWrites = file.failingWrites;
        back.failingReads = file.failingReads;
        file = back;
        disk_.Touch(file, true);
        stashed.reset();
    }

    // The user opened the pending file in a spreadsheet and saved it back:
    // maybe every field quoted, every line padded with empty fields to the
    // widest one's, a note typed in.
    void PendingAsSpreadsheetSaves()
    {
        SimFile& file = disk_.Of(DiskFile::Pending);
        if (!file.exists || file.foreign || file.holder == Holder::Exclusive || file.text.starts_with("\xEF\xBB\xBF"))
            return;
        const bool quote = random_() % 2 == 0;
        const bool pad = random_() % 2 == 0;
        std::string saved = "\xEF\xBB\xBF";
        for (std::size_t at = 0; at < file.text.size();) {
            LineSpan line = LineAt(file.text, at);
            std::string content = file.text.substr(line.begin, line.contentEnd - line.begin);
            at = line.end;
            saved += (quote ? QuotedEvery(content) : content) + (pad ? ",,," : "") + "\n";
        }
        if (random_() % 2 == 0)
            saved += std::string(UserNote) + "\n";   // read by nobody, kept in a copy
        file.text = saved;
        disk_.Touch(file, random_() % 2 == 0);
    }

    // Another program writes the history: a day raised or lowered, a day
    // added, today's line deleted, or a copy read a while ago saved back.
    // What it changed is noted per day.
    void EditHistory()
    {
        SimFile& file = disk_.Of(DiskFile::History);
        if (file.foreign || file.holder == Holder::Exclusive || file.readOnly)
            return;
        ++figures_.edits;
        DayMap before = DaysOfHistory(file.exists ? file.text : "", date_);
        DayMap after = before;
        switch (random_() % 5) {
        case 0:
        case 1: {
            LocalDate day = AddDays(date_, -static_cast<int>(random_() % 4));
            HistoryCounts& counts = after[day];
            int64_t& field = counts.keys[random_() % HistoryKeyCount];
            field = std::max<int64_t>(0, field + static_cast<int64_t>(random_() % 40) - 15);
            counts.seconds += random_() % 100;
            break;
        }
        case 2:
            after.erase(date_);
            break;
        case 3:
            if (staleCopy_) {
                after = *staleCopy_;
                staleCopy_.reset();
            }
            break;
        case 4:
            staleCopy_ = before;   // read now, saved back later
            break;
        }
        for (const auto& [day, counts] : after) {
            const HistoryCounts was = before.count(day) ? before[day] : HistoryCounts{};
            NoteEdit(day, was, counts);
        }
        for (const auto& [day, counts] : before) {
            if (!after.count(day))
                NoteEdit(day, counts, HistoryCounts{});
        }
        bool inPlace = random_() % 2 == 0;   // a spreadsheet that holds it saves in place
        othersWrote_ = Wrote(othersWrote_, before, after);
        file.exists = true;
        file.text = HistoryOf(after, random_() % 2 == 0, random_);
        disk_.Touch(file, !inPlace);
    }

    // What other programs' writes left in the days: a day an edit changed
    // is as it wrote it, one it deleted holds nothing of theirs; one it left
    // as it was keeps what an earlier write left in it.
    template <typename Days>
    static Days Wrote(Days wrote, const Days& before, const Days& after)
    {
        for (const auto& [day, counts] : after) {
            auto was = before.find(day);
            if (was == before.end() || !(was->second == counts))
                wrote[day] = counts;
        }
        for (const auto& [day, counts] : before) {
            if (!after.count(day))
                wrote.erase(day);
        }
        return wrote;
    }

    // Whether the file holds other bytes than at the keeper's last look
    // under the same stamp (the same size in the same tick, in place): only
    // a reading of the bytes tells it, and a minute's save reads none.
    bool HiddenEdit(DiskFile which) const
    {
        const SimFile& now = disk_.files[static_cast<int>(which)];
        const SimFile& seen = seen_[which == DiskFile::History ? 0 : 1];
        return now.exists && seen.exists && now.text != seen.text && now.text.size() == seen.text.size() &&
               now.time == seen.time && now.identity == seen.identity;
    }
    // Another program writes apps.csv: a program's day raised or lowered,
    // a day taken out, a copy read a while ago saved back, a spreadsheet's form.
    void EditApps()
    {
        SimFile& file = disk_.Of(DiskFile::Apps);
        if (file.foreign || file.holder == Holder::Exclusive || file.readOnly)
            return;
        ++figures_.edits;
        AppDayMap before = DaysOfApps(file.exists ? file.text : "");
        AppDayMap after = before;
        switch (random_() % 4) {
        case 0:
        case 1: {
            LocalDate day = AddDays(date_, -static_cast<int>(random_() % 3));
            AppCounts& counts = after[day];
            std::string program = random_() % 2 == 0 ? "notepad.exe" : "calc.exe";
            int64_t now = 0;
            for (const AppCount& count : counts)
                now = count.app == program ? count.strokes : now;
            int64_t changed = std::max<int64_t>(0, now + static_cast<int64_t>(random_() % 30) - 10);
            AppCounts edited = LessApps(counts, AppCounts{{program, now}});
            AddAppStrokes(edited, program, changed);
            counts = edited;
            break;
        }
        case 2:
            if (staleApps_) {
                after = *staleApps_;
                staleApps_.reset();
            } else {
                staleApps_ = before;   // read now, saved back later
            }
            break;
        case 3:
            after.erase(date_);
            break;
        }
        for (auto& [day, counts] : after) {
            AppCounts was = before.count(day) ? before[day] : AppCounts{};
            AddAppCounts(appAdded_[day], LessApps(counts, was));
            AddAppCounts(appTaken_[day], LessApps(was, counts));
        }
        for (const auto& [day, counts] : before) {
            if (!after.count(day))
                AddAppCounts(appTaken_[day], counts);
        }
        othersWroteApps_ = Wrote(othersWroteApps_, before, after);
        file.exists = true;
        file.text = AppsOf(after, random_() % 2 == 0);
        if (random_() % 4 == 0)
            file.text += std::string(UserNote) + "\r\n";   // counts for nothing, kept in a copy
        disk_.Touch(file, random_() % 2 == 0);
    }

    void NoteEdit(const LocalDate& day, const HistoryCounts& was, const HistoryCounts& now)
    {
        HistoryCounts up, down;
        AddDelta(up, was, now);
        AddDelta(down, now, was);
        AddCounts(added_[day], up);
        AddCounts(taken_[day], down);
    }

    void ArmKill()
    {
        disk_.killCountdown = static_cast<int>(random_() % 4);
        disk_.killTakesEffect = random_() % 2 == 0;
    }

    // Quit or log off: a save; asked when it would lose something. The user
    // stays (cancel), or frees the files and tries again (retry), which must
    // then succeed and ask nothing.
    void Leave(bool logOff)
    {
        ++figures_.leaves;
        auto free = [](const SimFile& file) {
            return file.holder == Holder::None && !file.readOnly && file.failingWrites == 0 && file.failingReads == 0;
        };
        bool pendingFree = free(disk_.Of(DiskFile::Pending));
        Save(SaveKind::Leaving);
        if (Asks()) {
            if (random_() % 2 == 0)
                return;   // stays logged in
            FreeTheFiles();
            pendingFree = true;
            Save(SaveKind::Leaving);
            if (Asks())
                Fail("a save with every file free still asks before leaving");
        }
        if (!failure_.empty())
            return;
        CheckOnDisk("after leaving without a question", true);
        // Written for leaving: the history takes every day, with nothing
        // waiting beside it.
        if (keeper_.LastSave() == DaysSaved::Written && keeper_.State() == KeeperState::Open &&
            !disk_.Of(DiskFile::History).foreign) {
            const SimFile& pending = disk_.Of(DiskFile::Pending);
            if (pending.exists && !pending.foreign && pendingFree)
                Fail("the pending file stays after a save for leaving that wrote the history");
            CheckOnDisk("in the history alone, after leaving", true, true);
        }
        disk_.killCountdown = -1;
        keeper_.Close();
        loggedIn_ = false;
        registered_ = false;
        if (!logOff)
            apps_.clear();   // the next run is a new process
        // Between two runs a file that is not Kivora's may stand where the
        // pending file would.
        if (random_() % 4 == 0)
            PutForeignFile(DiskFile::Pending);
        if (logOff)
            Login();
    }

    bool Asks() const { return MustAskBeforeLeaving(keeper_.Risk()); }

    // Windows ends the session: one save, nobody to ask, then the end.
    void EndSession()
    {
        Save(SaveKind::Leaving);
        Crash();
        --figures_.kills;
    }

    void FreeTheFiles()
    {
        for (SimFile& file : disk_.files) {
            file.holder = Holder::None;
            file.readOnly = false;
            file.failingWrites = 0;
            file.failingReads = 0;
        }
        TakeForeignFileAway(DiskFile::History);
        TakeForeignFileAway(DiskFile::Apps);
        dataFileFails_ = 0;
    }

    // Once everything is free and saved, the files hold what was counted,
    // exactly where nobody else wrote, and the windows show what is on disk.
    void Checkpoint()
    {
        disk_.killCountdown = -1;
        FreeTheFiles();
        if (registering_)
            Register();
        else if (!loggedIn_)
            Login();
        // A minute's save reads a file again only when its stamp moved; one
        // that writes the history whole reads what it writes over.
        const SaveKind kind = random_() % 2 == 0 ? SaveKind::Minute : SaveKind::Leaving;
        const bool hiddenHistoryEdit = HiddenEdit(DiskFile::History), hiddenAppsEdit = HiddenEdit(DiskFile::Apps);
        const uint64_t historyBefore = disk_.Of(DiskFile::History).identity;
        const uint64_t appsBefore = disk_.Of(DiskFile::Apps).identity;
        Save(kind);
        if (!failure_.empty())
            return;
        if (keeper_.LastSave() != DaysSaved::Written || keeper_.State() != KeeperState::Open)
            Fail("the files are free, yet the days were not written");
        if (Asks())
            Fail("the files are free, yet leaving would ask");
        DayMap onDisk = CheckOnDisk("at a checkpoint", false);
        DayMap shown;
        for (const HistoryDay& day : keeper_.Days(counts_))
            shown[day.date] = day.counts;
        // Unless Kivora wrote the file, and so read what it wrote over.
        if (!(hiddenHistoryEdit && disk_.Of(DiskFile::History).identity == historyBefore) && !SameDays(shown, onDisk))
            Fail("the days shown differ from the days on disk");
        AppCounts onDiskApps;
        for (const auto& [day, counts] : CheckAppsOnDisk("at a checkpoint", false))
            AddAppCounts(onDiskApps, counts);
        if (!(hiddenAppsEdit && disk_.Of(DiskFile::Apps).identity == appsBefore) &&
            keeper_.Apps({{1, 1, 1}, {9999, 12, 31}}, apps_) != onDiskApps)
            Fail("the programs' strokes shown differ from those on disk");
    }

    // What a login would read, as the disk's marks tell it.
    TextDisk View() const
    {
        TextDisk view;
        for (int which = 0; which < 3; ++which)
            view.marks[which] = disk_.marks[which];
        return view;
    }

    // apps.csv as a login would find it (the real one if a file that is not
    // one stands in its place), checked against the strokes into programs.
    AppDayMap CheckAppsOnDisk(const char* when, bool atLeastOnly, bool withoutPending = false)
    {
        TextDisk view = View();
        const SimFile& apps = disk_.Of(DiskFile::Apps);
        const SimFile& real = apps.foreign && stashedApps_ ? *stashedApps_ : apps;
        if (real.exists && !real.foreign)
            view.texts[2] = real.text;
        const SimFile& pending = disk_.Of(DiskFile::Pending);
        if (pending.exists && !pending.foreign && !withoutPending)
            view.texts[1] = pending.text;
        AppBook book;
        if (ReadAppsAsLoginWould(view, book) != DaysForReading::Read) {
            Fail(std::string(when) + ": the programs' days cannot be read as a login would");
            return {};
        }
        const AppDayMap& onDisk = book.Days();
        auto on = [&](const AppDayMap& days, const LocalDate& day) {
            auto at = days.find(day);
            return at == days.end() ? AppCounts{} : at->second;
        };
        for (const auto& [day, wrote] : othersWroteApps_) {
            if (!LessApps(wrote, on(onDisk, day)).empty())
                Fail(std::string(when) + ": " + FormatLocalDate(day) + " lost the strokes another program wrote");
        }
        for (const auto& [day, low] : appLow_) {
            if (!LessApps(LessApps(low, on(onDisk, day)), on(appTaken_, day)).empty())
                Fail(std::string(when) + ": " + FormatLocalDate(day) + " lost strokes into a program");
        }
        if (atLeastOnly)
            return onDisk;
        for (const auto& [day, has] : onDisk) {
            AppCounts most = on(appHigh_, day);
            AddAppCounts(most, on(appAdded_, day));
            if (!LessApps(has, most).empty())
                Fail(std::string(when) + ": " + FormatLocalDate(day) + " holds more strokes into programs than were");
            bool untouched = !appAdded_.count(day) && !appTaken_.count(day);
            if (untouched && on(appLow_, day) == on(appHigh_, day) && has != on(appLow_, day))
                Fail(std::string(when) + ": " + FormatLocalDate(day) + "'s programs are not exactly what was counted");
        }
        return onDisk;
    }

    // The days a login would find (the history put back if a file that is
    // not one stands in its place), checked against what was counted.
    DayMap CheckOnDisk(const char* when, bool atLeastOnly, bool withoutPending = false)
    {
        ++figures_.checks;
        TextDisk view = View();
        const SimFile& history = disk_.Of(DiskFile::History);
        const SimFile& real = history.foreign && stashedHistory_ ? *stashedHistory_ : history;
        if (real.exists && !real.foreign)
            view.texts[0] = real.text;
        const SimFile& pending = disk_.Of(DiskFile::Pending);
        if (pending.exists && !pending.foreign && !withoutPending)
            view.texts[1] = pending.text;
        HistoryBook book;
        if (ReadDaysAsLoginWould(view, date_, book) != DaysForReading::Read) {
            Fail(std::string(when) + ": the files on disk cannot be read as a login would");
            return {};
        }
        DayMap onDisk = DaysOf(book);
        CheckAppsOnDisk(when, atLeastOnly, withoutPending);
        for (const auto& [day, wrote] : othersWrote_) {
            if (!AtMost(wrote, onDisk.count(day) ? onDisk[day] : HistoryCounts{}))
                Fail(std::string(when) + ": " + FormatLocalDate(day) + " lost what another program wrote");
        }
        for (const auto& [day, low] : low_) {
            HistoryCounts floor = low;
            HistoryCounts taken = taken_.count(day) ? taken_[day] : HistoryCounts{};
            HistoryCounts has = onDisk.count(day) ? onDisk[day] : HistoryCounts{};
            HistoryCounts lost;
            AddDelta(lost, has, floor);   // what of the floor is missing
            if (!AtMost(lost, taken))
                Fail(std::string(when) + ": " + FormatLocalDate(day) + " lost counted strokes or seconds");
        }
        if (atLeastOnly)
            return onDisk;
        for (const auto& [day, has] : onDisk) {
            HistoryCounts most = high_.count(day) ? high_[day] : HistoryCounts{};
            AddCounts(most, added_.count(day) ? added_[day] : HistoryCounts{});
            if (!AtMost(has, most))
                Fail(std::string(when) + ": " + FormatLocalDate(day) + " holds more than was counted and added");
            bool untouched = !added_.count(day) && !taken_.count(day);
            bool nothingLost = low_.count(day) && high_.count(day) && low_[day] == high_[day];
            if (untouched && nothingLost && !(has == low_[day]))
                Fail(std::string(when) + ": " + FormatLocalDate(day) + " is not exactly what was counted");
        }
        return onDisk;
    }

    static bool AtMost(const HistoryCounts& a, const HistoryCounts& b)
    {
        if (a.seconds > b.seconds)
            return false;
        for (int key = 0; key < HistoryKeyCount; ++key) {
            if (a.keys[key] > b.keys[key])
                return false;
        }
        return true;
    }

    static bool SameDays(const DayMap& a, const DayMap& b)
    {
        auto withCounts = [](const DayMap& days) {
            DayMap kept;
            for (const auto& [day, counts] : days) {
                if (!counts.IsEmpty())
                    kept[day] = counts;
            }
            return kept;
        };
        return withCounts(a) == withCounts(b);
    }

    static bool Same(const LocalDate& a, const LocalDate& b) { return a == b; }

    void Fail(const std::string& what)
    {
        if (!failure_.empty())
            return;
        failure_ = what + "\n  last events:";
        for (const std::string& event : log_)
            failure_ += "\n    " + event;
    }

    // The last events, told with a failure.
    void Note(const std::string& event)
    {
        static constexpr const char* States[] = {"Closed", "Leftover", "PendingUnread", "Waiting", "Open"};
        std::string line = FormatLocalDate(date_) + " " + event + " -> " + States[static_cast<int>(keeper_.State())];
        for (const SimFile& file : disk_.files) {
            line += file.exists ? (file.foreign ? " [foreign" : " [file") : " [none";
            line += file.holder == Holder::Exclusive ? " held" : file.holder == Holder::Spreadsheet ? " sheet" : "";
            line += file.readOnly ? " ro" : "";
            line += "]";
        }
        log_.push_back(line);
        if (log_.size() > 40)
            log_.erase(log_.begin());
    }

    std::mt19937 random_;
    Figures& figures_;
    SimDisk disk_;
    HistoryKeeper keeper_;
    bool loggedIn_ = false;
    bool registered_ = false;    // a new user whose first stroke has not been zeroed yet
    bool registering_ = false;   // no data file made yet for the user being registered
    bool quiet_ = false;         // nothing but counting since a minute's save wrote the days
    SimFile seen_[2];            // the history and apps.csv at the keeper's last save or login
    LocalDate date_{2026, 12, 30};
    HistoryCounts counts_;       // the counter table's all-time counts
    HistoryCounts dataFile_;     // what the data file holds
    int dataFileFails_ = 0;
    bool lastSaveDurable_ = true;
    HistoryCounts durableCounts_;   // the all-time counts of the last save that put the days on disk
    DayMap low_;                 // per day: counted, less what a kill may have cost
    DayMap durableLow_;          // low_ as the last save that put the days on disk found it
    DayMap high_;                // per day: all that was counted
    DayMap added_, taken_;       // per day: what other programs added and took away
    DayMap othersWrote_;         // the days as another program last wrote them
    std::optional<SimFile> stashedHistory_;
    // The same for the strokes into programs, program by program.
    AppCounts apps_;             // since the process started, as the polling thread counts them
    AppDayMap appLow_, durableAppLow_, appHigh_, appAdded_, appTaken_, othersWroteApps_;
    std::optional<SimFile> stashedApps_;
    std::optional<AppDayMap> staleApps_;
    std::optional<DayMap> staleCopy_;
    std::string failure_;
    std::vector<std::string> log_;
};

} // namespace keepersim
