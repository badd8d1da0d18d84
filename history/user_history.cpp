#include "history/user_history.h"

#include <atomic>
#include <mutex>

#include "win/ansi_text.h"
#include "win/atomic_file.h"

namespace {

// The book is touched by the interface thread (saves, the clock, export, the
// keyboard map) and by the polling thread (the zeroing after a registration).
std::mutex HistoryLock;
HistoryBook Book;
bool LoggedIn = false;
std::string HistoryPath;
bool HistoryOn = false;    // false while the user's file is refused
std::atomic<unsigned> Version{0};

// Starts the book for the user's file from its text; a refused file (no
// text) leaves the history off, with an empty book so that nothing of
// another user's days shows.
bool BeginBook(const std::string& path, std::optional<std::string_view> text, const HistoryCounts& start)
{
    LoggedIn = true;
    HistoryPath = path;
    ++Version;
    Book = HistoryBook();
    HistoryOn = text && Book.Load(*text, TodaysDate()) == HistoryLoad::Loaded;
    if (!HistoryOn)
        Book.Load("", TodaysDate());
    Book.Begin(start);
    return HistoryOn;
}

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

// The running day moves on to today's date; a new day is a change of days.
void AdvanceToToday(const HistoryCounts& now)
{
    if (Book.Advance(TodaysDate(), now))
        ++Version;
}

} // namespace

HistoryFileRead ReadHistoryFile(const std::string& path, std::string& text)
{
    // Shared with any writer, and tried again for a moment while another
    // program (an antivirus, a backup) holds the file.
    HANDLE file = OpenFileRetrying(path.c_str(), GENERIC_READ, OPEN_EXISTING,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? HistoryFileRead::Missing
                                                                               : HistoryFileRead::Refused;
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
    std::string path;
    if (!HistoryPathOf(dataFilePath, path))
        return BeginBook(path, std::nullopt, loaded);
    // A save killed before its rename leaves a temporary file; the file
    // itself is whole, at most one save old.
    DeleteFileA((path + ".tmp").c_str());
    std::string text;
    switch (ReadHistoryFile(path, text)) {
    case HistoryFileRead::Missing:
        return BeginBook(path, "", loaded);
    case HistoryFileRead::Read:
        return BeginBook(path, text, loaded);
    case HistoryFileRead::Refused:
        break;
    }
    return BeginBook(path, std::nullopt, loaded);
}

bool StartNewUserHistory(const char* dataFilePath)
{
    std::lock_guard<std::mutex> guard(HistoryLock);
    const HistoryCounts zeros;
    std::string path;
    if (!HistoryPathOf(dataFilePath, path))
        return BeginBook(path, std::nullopt, zeros);
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES && !MoveAsideAsBackup(path))
        return BeginBook(path, std::nullopt, zeros);
    return BeginBook(path, "", zeros);
}

bool SaveUserHistory(const HistoryCounts& now)
{
    std::lock_guard<std::mutex> guard(HistoryLock);
    if (!LoggedIn)
        return true;
    if (!HistoryOn)
        return false;
    AdvanceToToday(now);
    HistoryText text = Book.RenderParts(now);
    ++Version;
    return WriteFileAtomically(HistoryPath.c_str(), {text.before, text.line, text.after}, WriteMode::Replace);
}

void KeepHistoryDate(const HistoryCounts& now)
{
    LocalDate today = TodaysDate();
    std::lock_guard<std::mutex> guard(HistoryLock);
    if (today != Book.Today() && Book.Advance(today, now))
        ++Version;
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
    if (!HistoryOn)
        return std::nullopt;
    AdvanceToToday(now);
    return Book.Periods(now);
}

std::optional<std::vector<HistoryDay>> CurrentHistoryDays(const HistoryCounts& now)
{
    std::lock_guard<std::mutex> guard(HistoryLock);
    if (!HistoryOn)
        return std::nullopt;
    AdvanceToToday(now);
    return Book.Days(now);
}

unsigned HistoryVersion() { return Version; }
