#include "app/command_line.h"

#include <windows.h>

#include <string>

#include "history/history_export.h"
#include "history/user_history.h"
#include "keymap/heatmap_command.h"
#include "store/user_data.h"
#include "users/users.h"

namespace {

bool IsCommand(const char* argument, const char* command) { return lstrcmpiA(argument, command) == 0; }

} // namespace

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

bool RunCommandLine(int argc, char** argv, int& exitCode)
{
    if (argc < 2)
        return false;
    if (IsCommand(argv[1], "/export")) {
        exitCode = argc == 4 ? RunExportCommand(argv[2], argv[3]) : CommandWrongArguments;
        return true;
    }
    if (IsCommand(argv[1], "/heatmap")) {
        exitCode = argc == 4 || argc == 5 ? RunHeatmapCommand(argv[2], argv[3], argc == 5 ? argv[4] : nullptr)
                                          : CommandWrongArguments;
        return true;
    }
    // Anything else is no command: the program starts as always.
    return false;
}
