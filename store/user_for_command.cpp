#include "store/user_for_command.h"

#include <windows.h>

#include <string>

#include "history/user_history.h"
#include "store/own_files.h"
#include "store/user_data.h"
#include "users/user_list.h"
#include "win/wide_text.h"

bool UserOfArgument(const wchar_t* argument, std::string& user) { return CodePageFromWide(argument, user); }

namespace {

// Finds the user and reads the data file, and the days as a login would see
// them: with the days that a running Kivora could not write yet, which wait in
// the pending file, folded in. A history or pending file that another program
// holds is waited for a moment. historyRead is false when the history, or a
// pending file beside it, cannot be read: without the pending days every
// period would miss some. A user without a history file yet has no days.
CommandExit ReadUserFiles(const char* user, StoredValues& values, HistoryBook& book, bool& historyRead)
{
    // Where the window's login finds its users, and its settings file.
    WorkOutAppFolder();
    WorkOutSettingsPath(GetModuleHandleA(nullptr));
    char dataFile[PathCapacity];
    if (!FindUserDataFile(user, dataFile))
        return CommandUnknownUser;
    if (!ReadUserDataReadOnly(dataFile, values))
        return CommandUnreadable;
    historyRead = false;
    std::string historyPath;
    if (!HistoryPathOf(dataFile, historyPath))
        return CommandDone;
    UserHistoryFiles files(historyPath, true);
    historyRead = ReadDaysAsLoginWould(files, TodaysDate(), book) == DaysForReading::Read;
    return CommandDone;
}

} // namespace

CommandExit ReadUserForCommand(const char* user, StoredValues& values, HistoryPeriods& periods, bool needHistory)
{
    periods = HistoryPeriods{};
    HistoryBook book;
    bool historyRead = false;
    CommandExit found = ReadUserFiles(user, values, book, historyRead);
    if (found != CommandDone)
        return found;
    if (historyRead)
        periods = book.Periods(HistoryCounts{});
    return historyRead || !needHistory ? CommandDone : CommandUnreadable;
}

CommandExit ReadUserDaysForCommand(const char* user, StoredValues& values, std::vector<HistoryDay>& days)
{
    days.clear();
    HistoryBook book;
    bool historyRead = false;
    CommandExit found = ReadUserFiles(user, values, book, historyRead);
    if (found != CommandDone)
        return found;
    if (!historyRead)
        return CommandUnreadable;
    days = book.Days(HistoryCounts{});
    return CommandDone;
}

CommandExit CheckCommandTarget(const std::wstring& file)
{
    return file.empty() || IsKivoraOwnFile(file) ? CommandUnwritable : CommandDone;
}
