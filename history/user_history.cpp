#include "history/user_history.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "history/pending_history.h"
#include "win/ansi_text.h"
#include "win/atomic_file.h"

namespace {

// The book is touched by the interface thread (saves, the clock, export, the
// keyboard map) and by the polling thread (the zeroing after a registration).
std::mutex HistoryLock;
HistoryBook Book;
bool LoggedIn = false;
std::string HistoryPath;   // empty when the data file's path leaves no room for one
std::string PendingPath;
// True while the book holds the history file's days. False while the file
// cannot be read: the book then holds only what this login has counted, and
// Carried the pending days that earlier runs could not write.
bool HistoryOpen = false;
PendingDays Carried;
// Days whose counts in the book the history file does not have yet.
std::vector<LocalDate> Unwritten;
bool PendingOnDisk = false;
// A registered name's files that an earlier user of the name left behind and
// that could not be moved aside yet: never read or written as this user's.
bool ForeignHistory = false;
bool ForeignPending = false;
// A pending file there that could not be read yet (held): never written over,
// and the history waits for it, so that none of its days is lost.
bool PendingUnread = false;
// The last save could not open or replace the history.
bool Held = false;
std::atomic<unsigned> Version{0};

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Moves a file aside as path + ".bak", or ".bak2", ".bak3" and so on when
// earlier ones are there: every backup is kept.
bool MoveAsideAsBackup(const std::string& path)
{
    for (int number = 1; number < 10000; ++number) {
        std::string backup = path + ".bak" + (number > 1 ? std::to_string(number) : std::string());
        if (MoveFileExA(path.c_str(), backup.c_str(), MOVEFILE_WRITE_THROUGH))
            return true;
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

void NoteUnwritten(const LocalDate& date)
{
    auto at = std::lower_bound(Unwritten.begin(), Unwritten.end(), date);
    if (at == Unwritten.end() || *at != date)
        Unwritten.insert(at, date);
}

// The running day moves on to a new date; the day it closes is not in the
// file until a save has written it.
void AdvanceTo(const LocalDate& date, const HistoryCounts& now)
{
    LocalDate closing = Book.Today();
    if (Book.Advance(date, now)) {
        NoteUnwritten(closing);
        ++Version;
    }
}

// What the pending file must hold now. With the history's days in the book:
// the unwritten days' counts as floors, which may be folded again and again.
// Without them: the earlier runs' pending days and, added on top, what this
// login has counted.
PendingDays PendingNow(const HistoryCounts& now)
{
    if (HistoryOpen) {
        PendingDays dates;
        for (const LocalDate& date : Unwritten)
            dates.push_back({date, {}, {}});
        dates.push_back({Book.Today(), {}, {}});
        return AsFloors(Book, dates, now);
    }
    PendingDays days = Carried;
    for (const HistoryDay& day : Book.Days(now))
        AddPendingDay(days, {day.date, {}, day.counts});
    return days;
}

bool WritePending(const PendingDays& days)
{
    if (PendingPath.empty() || ForeignPending || PendingUnread)
        return false;
    std::string text = FormatPending(days);
    if (text.size() > LargestPendingFile || !WriteFileAtomically(PendingPath.c_str(), {text}, WriteMode::Replace))
        return false;
    PendingOnDisk = true;
    return true;
}

// Adds the pending file's days to Carried; false while it exists but cannot
// be read. A file that is not a pending file counts as none.
bool ReadPending()
{
    std::string text;
    switch (ReadHistoryFile(PendingPath, text)) {
    case HistoryFileRead::Held:
        return false;
    case HistoryFileRead::Read: {
        PendingDays days;
        ParsePending(text, days);
        CombinePending(Carried, days);
        return true;
    }
    case HistoryFileRead::Missing:
    case HistoryFileRead::Refused:
        break;
    }
    return true;
}

// Reads the history and folds into it the pending days and what this login
// has counted: true when the book then holds the file's days. held tells
// whether another program kept the file from being opened or moved.
bool TryToOpen(const HistoryCounts& now, bool& held)
{
    held = false;
    if (ForeignPending) {
        ForeignPending = Exists(PendingPath) && !MoveAsideAsBackup(PendingPath);
        held = ForeignPending;
    }
    if (ForeignHistory && !ForeignPending) {
        ForeignHistory = Exists(HistoryPath) && !MoveAsideAsBackup(HistoryPath);
        held = ForeignHistory;
    }
    if (ForeignPending || ForeignHistory)
        return false;
    if (PendingUnread) {
        PendingUnread = !ReadPending();
        held = PendingUnread;
        if (PendingUnread)
            return false;
    }
    std::string text;
    switch (ReadHistoryFile(HistoryPath, text)) {
    case HistoryFileRead::Held:
        held = true;
        return false;
    case HistoryFileRead::Refused:
        return false;
    case HistoryFileRead::Missing:
        text.clear();
        break;
    case HistoryFileRead::Read:
        break;
    }
    HistoryBook opened;
    if (opened.Load(text, TodaysDate()) != HistoryLoad::Loaded)
        return false;
    PendingDays pending = PendingNow(now);
    opened.Fold(pending);
    opened.Begin(now);
    Book = std::move(opened);
    Unwritten.clear();
    for (const PendingDay& day : pending)
        Unwritten.push_back(day.date);
    Carried.clear();
    HistoryOpen = true;
    ++Version;
    return true;
}

// A new login's history: nothing of another user's days shows, nothing is
// known of the file until it has been read.
void BeginLogin(const char* dataFilePath, const HistoryCounts& start)
{
    LoggedIn = true;
    HistoryOpen = false;
    Carried.clear();
    Unwritten.clear();
    Held = ForeignHistory = ForeignPending = PendingUnread = false;
    if (!HistoryPathOf(dataFilePath, HistoryPath)) {
        HistoryPath.clear();
        PendingPath.clear();
    } else {
        PendingPath = PendingPathOf(HistoryPath);
    }
    PendingOnDisk = !PendingPath.empty() && Exists(PendingPath);
    Book = HistoryBook();
    Book.Load("", TodaysDate());
    Book.Begin(start);
    ++Version;
}

} // namespace

std::string PendingPathOf(const std::string& historyPath)
{
    return historyPath.substr(0, historyPath.size() - 4) + ".pending";   // ".csv" off
}

HistoryFileRead ReadHistoryFile(const std::string& path, std::string& text)
{
    // Shared with any writer, and tried again for a moment while another
    // program (an antivirus, a backup) holds the file.
    HANDLE file = OpenFileRetrying(path.c_str(), GENERIC_READ, OPEN_EXISTING,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (file == INVALID_HANDLE_VALUE) {
        switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return HistoryFileRead::Missing;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_ACCESS_DENIED:
            return HistoryFileRead::Held;
        default:
            return HistoryFileRead::Refused;
        }
    }
    HistoryFileRead outcome = HistoryFileRead::Refused;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size) && size.QuadPart <= static_cast<LONGLONG>(LargestHistoryFile)) {
        text.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        if (text.empty() ||
            (ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr) && read == text.size()))
            outcome = HistoryFileRead::Read;
    }
    CloseHandle(file);
    return outcome;
}

bool HistoryPathOf(const char* dataFilePath, std::string& historyPath)
{
    std::string path = dataFilePath;
    if (path.size() < 4 || !EndsWithIgnoringCase(path.c_str(), ".dat"))
        return false;
    path.replace(path.size() - 4, 4, ".history.csv");
    if (path.size() + 5 > MAX_PATH)   // with the save's ".tmp"
        return false;
    historyPath = path;
    return true;
}

LocalDate TodaysDate()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}

bool OpenUserHistory(const char* dataFilePath, const HistoryCounts& loaded)
{
    std::lock_guard<std::mutex> guard(HistoryLock);
    BeginLogin(dataFilePath, loaded);
    if (HistoryPath.empty())
        return false;
    // A save killed before its rename leaves this temporary file; the file
    // itself is whole, at most one save old.
    DeleteFileA((HistoryPath + ".tmp").c_str());
    PendingUnread = true;   // read first thing, before the history
    return TryToOpen(loaded, Held);
}

bool StartNewUserHistory(const char* dataFilePath)
{
    std::lock_guard<std::mutex> guard(HistoryLock);
    BeginLogin(dataFilePath, HistoryCounts{});
    if (HistoryPath.empty())
        return false;
    ForeignHistory = Exists(HistoryPath);
    ForeignPending = PendingOnDisk;
    PendingOnDisk = false;
    return TryToOpen(HistoryCounts{}, Held);
}

HistorySave SaveUserHistory(const HistoryCounts& now)
{
    std::lock_guard<std::mutex> guard(HistoryLock);
    if (!LoggedIn)
        return HistorySave::Written;
    if (HistoryPath.empty())
        return HistorySave::Waiting;
    AdvanceTo(TodaysDate(), now);
    if (!HistoryOpen && !TryToOpen(now, Held)) {
        WritePending(PendingNow(now));
        return HistorySave::Waiting;
    }
    ++Version;
    const PendingDays pending = PendingNow(now);
    HistoryText text = Book.RenderParts(now);
    // The reader refuses a file past the size a history may have: the days
    // wait rather than make the history unreadable.
    if (!FitsHistoryFile(text)) {
        Held = false;
        WritePending(pending);
        return HistorySave::Full;
    }
    // Adds on disk become floors before the history changes: a kill between
    // the two writes then neither loses nor doubles a day.
    bool pendingWritten = PendingOnDisk && WritePending(pending);
    if (PendingOnDisk && !pendingWritten)
        return HistorySave::Waiting;
    Held = !WriteFileAtomically(HistoryPath.c_str(), {text.before, text.line, text.after}, WriteMode::Replace);
    if (Held) {
        if (!pendingWritten)
            WritePending(pending);
        return HistorySave::Waiting;
    }
    Unwritten.clear();
    // Floors left behind if it cannot go are folded harmlessly.
    if (PendingOnDisk && DeleteFileA(PendingPath.c_str()))
        PendingOnDisk = false;
    return HistorySave::Written;
}

bool HistoryHeld(std::string& name)
{
    std::lock_guard<std::mutex> guard(HistoryLock);
    name = HistoryPath.substr(HistoryPath.find_last_of('\\') + 1);
    return LoggedIn && Held;
}

void KeepHistoryDate(const HistoryCounts& now)
{
    LocalDate today = TodaysDate();
    std::lock_guard<std::mutex> guard(HistoryLock);
    if (today != Book.Today())
        AdvanceTo(today, now);
}

void RebaseHistory(const HistoryCounts& beforeReset, const HistoryCounts& afterReset)
{
    std::lock_guard<std::mutex> guard(HistoryLock);
    Book.Rebase(beforeReset, afterReset);
}

void DropHistoryDay(const HistoryCounts& now)
{
    std::lock_guard<std::mutex> guard(HistoryLock);
    Book.DropToday(now);
}

std::optional<HistoryPeriods> CurrentHistoryPeriods(const HistoryCounts& now)
{
    std::lock_guard<std::mutex> guard(HistoryLock);
    if (!HistoryOpen)
        return std::nullopt;
    AdvanceTo(TodaysDate(), now);
    return Book.Periods(now);
}

std::optional<std::vector<HistoryDay>> CurrentHistoryDays(const HistoryCounts& now)
{
    std::lock_guard<std::mutex> guard(HistoryLock);
    if (!HistoryOpen)
        return std::nullopt;
    AdvanceTo(TodaysDate(), now);
    return Book.Days(now);
}

unsigned HistoryVersion() { return Version; }
