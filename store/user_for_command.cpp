#include "store/user_for_command.h"

#include <windows.h>

#include <string>

#include "history/pending_history.h"
#include "history/user_history.h"
#include "store/own_files.h"
#include "store/user_data.h"
#include "users/user_list.h"
#include "win/wide_text.h"

bool UserOfArgument(const wchar_t* argument, std::string& user) { return CodePageFromWide(argument, user); }

namespace {

// Finds the user and reads the data file, and the history as a login would
// see it: with the days that a running Kivora could not write yet, which wait
// in the pending file, folded in. historyRead is false when the history is
// refused; a user without a history file yet has no days.
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
    std::string text;
    if (!HistoryPathOf(dataFile, historyPath))
        return CommandDone;
    HistoryFileRead file = ReadHistoryFile(historyPath, text);
    if ((file != HistoryFileRead::Read && file != HistoryFileRead::Missing) ||
        book.Load(text, TodaysDate()) != HistoryLoad::Loaded)
        return CommandDone;
    PendingDays pending;
    if (ReadHistoryFile(PendingPathOf(historyPath), text) == HistoryFileRead::Read)
        ParsePending(text, pending);
    book.Fold(pending);
    historyRead = true;
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
