#include "store/user_days.h"

#include <atomic>
#include <mutex>

#include "history/user_history.h"
#include "store/program_strokes.h"
#include "win/atomic_file.h"

namespace {

// The keeper is touched by the interface thread (saves, the clock, export,
// the tabs) and by the polling thread (the zeroing after a registration).
struct LoggedInDays {
    std::mutex lock;
    HistoryKeeper keeper;
    std::optional<UserHistoryFiles> files;   // none before a login, or when the path leaves no room
    std::atomic<unsigned> version{0};
} LoggedIn;

// A new login's files; false when the data file's path leaves no room for a
// history's.
bool UseFilesOf(const char* dataFilePath)
{
    LoggedIn.keeper.Close();
    LoggedIn.files.reset();
    ++LoggedIn.version;
    std::string historyPath;
    if (!HistoryPathOf(dataFilePath, historyPath))
        return false;
    LoggedIn.files.emplace(historyPath);
    return true;
}

// The days as of today, when the date turned since the last save: what the
// windows read is never a day behind. Called with the lock held.
void TurnToToday(const LocalDate& today, const HistoryCounts& now)
{
    if (today != LoggedIn.keeper.Today()) {
        LoggedIn.keeper.KeepDate(today, now, ProgramStrokesSoFar());
        ++LoggedIn.version;
    }
}

} // namespace

KeeperState OpenUserHistory(const char* dataFilePath, const HistoryCounts& loaded)
{
    std::lock_guard<std::mutex> guard(LoggedIn.lock);
    if (!UseFilesOf(dataFilePath))
        return KeeperState::Closed;
    // What saves killed midway left beside each file and its mark; the files
    // themselves are whole.
    for (DiskFile file : {DiskFile::History, DiskFile::Pending, DiskFile::Apps}) {
        RecoverInterruptedWrite(LoggedIn.files->PathOf(file).c_str(), nullptr);
        RecoverInterruptedWrite(LeftoverMarkOf(LoggedIn.files->PathOf(file)).c_str(), nullptr);
    }
    LoggedIn.keeper.Login(*LoggedIn.files, loaded, ProgramStrokesSoFar(), TodaysDate());
    return LoggedIn.keeper.State();
}

void MarkEarlierUsersDays(const char* dataFilePath)
{
    std::string historyPath;
    if (!HistoryPathOf(dataFilePath, historyPath))
        return;
    UserHistoryFiles files(historyPath);
    HistoryKeeper::MarkEarlierUsersFiles(files);
}

KeeperState StartNewUserHistory(const char* dataFilePath)
{
    std::lock_guard<std::mutex> guard(LoggedIn.lock);
    if (!UseFilesOf(dataFilePath))
        return KeeperState::Closed;
    LoggedIn.keeper.StartNew(*LoggedIn.files, ProgramStrokesSoFar(), TodaysDate());
    return LoggedIn.keeper.State();
}

DaysSaved SaveUserHistory(const HistoryCounts& now, SaveKind kind)
{
    std::lock_guard<std::mutex> guard(LoggedIn.lock);
    if (!LoggedIn.files)
        return LoggedIn.keeper.State() == KeeperState::Closed ? DaysSaved::Written : DaysSaved::InMemory;
    const unsigned days = LoggedIn.keeper.DaysVersion();
    const DaysSaved saved = LoggedIn.keeper.Save(*LoggedIn.files, now, ProgramStrokesSoFar(), TodaysDate(), kind);
    // The windows read the days again only when more than the running day
    // may have changed: a minute's save costs them nothing.
    if (LoggedIn.keeper.DaysVersion() != days)
        ++LoggedIn.version;
    return saved;
}

LeavingRisk HistoryRisk(std::string& historyName, std::string& pendingName)
{
    std::lock_guard<std::mutex> guard(LoggedIn.lock);
    if (!LoggedIn.files)
        return {};
    historyName = LoggedIn.files->NameOf(DiskFile::History);
    pendingName = LoggedIn.files->NameOf(DiskFile::Pending);
    return LoggedIn.keeper.Risk();
}

void KeepHistoryDate(const HistoryCounts& now)
{
    LocalDate today = TodaysDate();
    std::lock_guard<std::mutex> guard(LoggedIn.lock);
    if (LoggedIn.keeper.State() != KeeperState::Closed)
        TurnToToday(today, now);
}

void RebaseHistory(const HistoryCounts& beforeReset, const HistoryCounts& afterReset)
{
    std::lock_guard<std::mutex> guard(LoggedIn.lock);
    LoggedIn.keeper.Rebase(beforeReset, afterReset);
}

void DropHistoryDay(const HistoryCounts& now)
{
    std::lock_guard<std::mutex> guard(LoggedIn.lock);
    LoggedIn.keeper.DropToday(now, ProgramStrokesSoFar());
}

std::optional<HistoryPeriods> CurrentHistoryPeriods(const HistoryCounts& now)
{
    LocalDate today = TodaysDate();
    std::lock_guard<std::mutex> guard(LoggedIn.lock);
    if (!LoggedIn.keeper.HasDays())
        return std::nullopt;
    TurnToToday(today, now);
    return LoggedIn.keeper.Periods(now);
}

std::optional<std::vector<HistoryDay>> CurrentHistoryDays(const HistoryCounts& now)
{
    LocalDate today = TodaysDate();
    std::lock_guard<std::mutex> guard(LoggedIn.lock);
    if (!LoggedIn.keeper.HasDays())
        return std::nullopt;
    TurnToToday(today, now);
    return LoggedIn.keeper.Days(now);
}

unsigned HistoryVersion() { return LoggedIn.version; }

std::optional<AppCounts> CurrentProgramStrokes(const DateRange& range)
{
    AppCounts now = ProgramStrokesSoFar();
    std::lock_guard<std::mutex> guard(LoggedIn.lock);
    if (!LoggedIn.keeper.HasDays())
        return std::nullopt;
    return LoggedIn.keeper.Apps(range, now);
}

bool ForgetProgramStrokes()
{
    AppCounts now = ProgramStrokesSoFar();
    std::lock_guard<std::mutex> guard(LoggedIn.lock);
    if (!LoggedIn.files)
        return true;
    ++LoggedIn.version;
    return LoggedIn.keeper.ForgetApps(*LoggedIn.files, now);
}
