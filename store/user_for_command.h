#pragma once
// What the command-line commands read of a user, and how they end. The
// commands show no window, box or icon, and work beside a running Kivora
// without writing to the user's files.
#include <string>
#include <vector>

#include "history/history_book.h"
#include "store/user_record.h"

// The exit codes of a command.
enum CommandExit {
    CommandDone = 0,
    CommandWrongArguments = 1,
    CommandUnknownUser = 2,        // no data file of that user in the data folder
    CommandUnreadable = 3,         // the user's data file or history cannot be read
    CommandUnwritable = 4,         // FILE cannot be written
};

// A user named on the command line, in code page 932 as the data files are
// named; false for a name the code page cannot hold, which no user has.
bool UserOfArgument(const wchar_t* argument, std::string& user);

// The user's all-time values and the history's periods as of now, read from
// the application folder's data folder as the login dialog finds it. Without
// needHistory a history that cannot be read leaves the periods empty.
CommandExit ReadUserForCommand(const char* user, StoredValues& values, HistoryPeriods& periods,
                               bool needHistory = true);

// The same, with the history's readable days in date order (today's as the
// file has it) instead of its periods: for the commands that draw days. A
// history that cannot be read is CommandUnreadable; none yet, no days.
CommandExit ReadUserDaysForCommand(const char* user, StoredValues& values, std::vector<HistoryDay>& days);

// Whether a command may write FILE: CommandUnwritable for one of Kivora's own
// files (the settings file, anything in the data folder). Call after
// ReadUserForCommand, which works out where they are.
CommandExit CheckCommandTarget(const std::wstring& file);
