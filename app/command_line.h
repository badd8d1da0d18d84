#pragma once
// Kivora's commands for scripts and the command prompt, decided at the very
// start, before the single-instance check: they show no window, box or icon,
// and work beside a running Kivora without writing to the user's files.
//
//   Kivora.exe /export USER FILE
//   Kivora.exe /heatmap USER FILE.png [all|today|7|30]
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

// True when argv names a command; it has then run, and exitCode is its result.
bool RunCommandLine(int argc, char** argv, int& exitCode);

// The user's all-time values and the history's periods as of now, read from
// the application folder's data folder as the login dialog finds it.
CommandExit ReadUserForCommand(const char* user, StoredValues& values, HistoryPeriods& periods);
