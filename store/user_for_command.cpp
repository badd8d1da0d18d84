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

// Finds the user, reads the data file and the text of the history (empty
// without a history file yet); historyRead is false when the history is
// refused.
CommandExit ReadUserFiles(const char* user, StoredValues& values, std::string& history, bool& historyRead)
{
    // Where the window's login finds its users, and its settings file.
    WorkOutAppFolder();
    WorkOutSettingsPath(GetModuleHandleA(nullptr));
    char dataFile[PathCapacity];
    if (!FindUserDataFile(user, dataFile))
        return CommandUnknownUser;
    if (!ReadUserDataReadOnly(dataFile, values))
        return CommandUnreadable;
    std::string historyPath;
    history.clear();
    // A user without a history file yet has no days: an empty text.
    if (HistoryPathOf(dataFile, historyPath)) {
        HistoryFileRead file = ReadHistoryFile(historyPath, history);
        historyRead = file == HistoryFileRead::Read || file == HistoryFileRead::Missing;
    }
    return CommandDone;
}

} // namespace

CommandExit ReadUserForCommand(const char* user, StoredValues& values, HistoryPeriods& periods, bool needHistory)
{
    periods = HistoryPeriods{};
    std::string text;
    bool historyRead = false;
    CommandExit found = ReadUserFiles(user, values, text, historyRead);
    if (found != CommandDone)
        return found;
    std::optional<HistoryPeriods> read;
    if (historyRead)
        read = HistoryPeriodsOfText(text, TodaysDate());
    if (read)
        periods = *read;
    return read || !needHistory ? CommandDone : CommandUnreadable;
}

CommandExit ReadUserDaysForCommand(const char* user, StoredValues& values, std::vector<HistoryDay>& days)
{
    days.clear();
    std::string text;
    bool historyRead = false;
    CommandExit found = ReadUserFiles(user, values, text, historyRead);
    if (found != CommandDone)
        return found;
    HistoryBook book;
    if (!historyRead || book.Load(text, TodaysDate()) != HistoryLoad::Loaded)
        return CommandUnreadable;
    days = book.Days(HistoryCounts{});
    return CommandDone;
}

CommandExit CheckCommandTarget(const std::wstring& file)
{
    return file.empty() || IsKivoraOwnFile(file) ? CommandUnwritable : CommandDone;
}
