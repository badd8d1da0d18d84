#include "store/user_for_command.h"

#include <windows.h>

#include <string>

#include "history/pending_history.h"
#include "history/user_history.h"
#include "store/own_files.h"
#include "store/user_data.h"
#include "users/user_list.h"
#include "win/wide_text.h"

bool ArgumentText(const wchar_t* argument, std::string& text) { return CodePageFromWide(argument, text); }

namespace {

// Reads the history as a login would see it: with the days that a running
// Kivora could not write yet, which wait in the pending file, folded in.
// False when the history is refused; a user without a history file yet has
// an empty one.
bool ReadHistoryForCommand(const char* dataFile, HistoryBook& book)
{
    std::string historyPath;
    std::string text;
    if (!HistoryPathOf(dataFile, historyPath))
        return false;
    HistoryFileRead file = ReadHistoryFile(historyPath, text);
    if ((file != HistoryFileRead::Read && file != HistoryFileRead::Missing) ||
        book.Load(text, TodaysDate()) != HistoryLoad::Loaded)
        return false;
    PendingDays pending;
    if (ReadHistoryFile(PendingPathOf(historyPath), text) == HistoryFileRead::Read)
        ParsePending(text, pending);
    book.Fold(pending);
    return true;
}

// Finds the user and reads the data file, and the history as the command
// needs it.
CommandExit ReadUserFiles(CommandReads reads, CommandUser& user)
{
    // Where the window's login finds its users, and its settings file.
    WorkOutAppFolder();
    WorkOutSettingsPath(GetModuleHandleA(nullptr));
    char dataFile[PathCapacity];
    if (!FindUserDataFile(user.name.c_str(), dataFile))
        return CommandUnknownUser;
    if (!ReadUserDataReadOnly(dataFile, user.values))
        return CommandUnreadable;
    HistoryBook book;
    if (!ReadHistoryForCommand(dataFile, book))
        return reads == CommandReads::DataFileOnly ? CommandDone : CommandUnreadable;
    if (reads == CommandReads::Days)
        user.days = book.Days(HistoryCounts{});
    else
        user.periods = book.Periods(HistoryCounts{});
    return CommandDone;
}

} // namespace

int RunUserCommand(const UserCommand& command)
{
    if (!command.argumentsRight)
        return CommandWrongArguments;
    CommandUser user;
    if (command.user == nullptr || !ArgumentText(command.user, user.name))
        return CommandUnknownUser;
    CommandExit read = ReadUserFiles(command.reads, user);
    if (read != CommandDone)
        return read;
    // After the read, which works out where Kivora's own files are.
    if (command.file.empty() || IsKivoraOwnFile(command.file))
        return CommandUnwritable;
    return command.write(user, command.file, command.context) ? CommandDone : CommandUnwritable;
}
