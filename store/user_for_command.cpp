#include "store/user_for_command.h"

#include <string>

#include "history/user_history.h"
#include "store/user_data.h"
#include "users/user_list.h"

CommandExit ReadUserForCommand(const char* user, StoredValues& values, HistoryPeriods& periods)
{
    // Where the window's login finds its users.
    WorkOutAppFolder();
    char dataFile[PathCapacity];
    if (!FindUserDataFile(user, dataFile))
        return CommandUnknownUser;
    if (!ReadUserDataReadOnly(dataFile, values))
        return CommandUnreadable;
    std::string historyPath;
    if (!HistoryPathOf(dataFile, historyPath))
        return CommandUnreadable;
    // A user without a history file yet has no days: an empty text.
    std::string text;
    if (ReadHistoryFile(historyPath, text) == HistoryFileRead::Refused)
        return CommandUnreadable;
    std::optional<HistoryPeriods> read = HistoryPeriodsOfText(text, TodaysDate());
    if (!read)
        return CommandUnreadable;
    periods = *read;
    return CommandDone;
}
