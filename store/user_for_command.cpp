#include "store/user_for_command.h"

#include <windows.h>

#include <string>

#include "history/user_history.h"
#include "store/own_files.h"
#include "store/user_data.h"
#include "users/user_list.h"
#include "win/wide_text.h"

bool UserOfArgument(const wchar_t* argument, std::string& user) { return CodePageFromWide(argument, user); }

CommandExit ReadUserForCommand(const char* user, StoredValues& values, HistoryPeriods& periods, bool needHistory)
{
    // Where the window's login finds its users, and its settings file.
    WorkOutAppFolder();
    WorkOutSettingsPath(GetModuleHandleA(nullptr));
    char dataFile[PathCapacity];
    if (!FindUserDataFile(user, dataFile))
        return CommandUnknownUser;
    if (!ReadUserDataReadOnly(dataFile, values))
        return CommandUnreadable;
    periods = HistoryPeriods{};
    std::string historyPath;
    // A user without a history file yet has no days: an empty text.
    std::string text;
    std::optional<HistoryPeriods> read;
    if (HistoryPathOf(dataFile, historyPath)) {
        HistoryFileRead file = ReadHistoryFile(historyPath, text);
        if (file == HistoryFileRead::Read || file == HistoryFileRead::Missing)
            read = HistoryPeriodsOfText(text, TodaysDate());
    }
    if (read)
        periods = *read;
    return read || !needHistory ? CommandDone : CommandUnreadable;
}

CommandExit CheckCommandTarget(const std::wstring& file)
{
    return file.empty() || IsKivoraOwnFile(file) ? CommandUnwritable : CommandDone;
}
