#pragma once
// How a command-line command reads a user and writes its file, and how it
// ends. The commands show no window, box or icon, and work beside a running
// Kivora without writing to the user's files.
#include <string>
#include <vector>

#include "history/app_days.h"
#include "history/history_book.h"
#include "store/user_record.h"

// The exit codes of a command.
enum CommandExit {
    CommandDone = 0,
    CommandWrongArguments = 1,
    CommandUnknownUser = 2,        // no data file of that user in the data folder
    CommandUnreadable = 3,         // the user's data file, keys file or history cannot be read
    CommandUnwritable = 4,         // FILE cannot be written, or is one of Kivora's own
};

// An argument in code page 932, as the data files are named; false for one
// that the code page cannot hold, which no user or word has.
bool ArgumentText(const wchar_t* argument, std::string& text);

// What a command reads besides the data file.
enum class CommandReads {
    DataFileOnly,   // the history's periods if it can be read, else none
    Periods,        // the history's periods as of now
    Days,           // the history's readable days in date order
    Apps,           // the days' strokes per program, not the history
    DaysAndApps,    // both, the history first
    Shortcuts,      // the days' shortcuts, not the history
};

// A user as a command sees it, read from the application folder's data
// folder as the login dialog finds it, the history with the days that wait
// in the pending file folded in.
struct CommandUser {
    std::string name;              // code page 932
    StoredValues values{};         // the data file's
    HistoryCounts allTime;         // the all-time counts of every key
    HistoryPeriods periods;        // with CommandReads::Periods (or DataFileOnly)
    std::vector<HistoryDay> days;  // with CommandReads::Days (or DaysAndApps)
    AppBook apps;                  // with CommandReads::Apps (or DaysAndApps)
    AppBook shortcuts{Tally::Shortcuts};   // with CommandReads::Shortcuts
};

// Writes the command's file from the user, whose days it may take; true
// when it was written.
using CommandWriter = bool (*)(CommandUser& user, const std::wstring& file, const void* context);

struct UserCommand {
    bool argumentsRight = true;    // the command's own words, checked by the command
    const wchar_t* user = nullptr;
    CommandReads reads = CommandReads::Periods;
    std::wstring file;
    CommandWriter write = nullptr;
    const void* context = nullptr; // handed to write
};

// Adds the user's other PCs' figures to what was read of this PC (its days
// and periods both read). Set by the command line unless the command ends
// with thispc; none: this PC's figures alone.
using OtherPcsAdder = CommandExit (*)(CommandUser& user);
extern OtherPcsAdder CommandOtherPcs;

// Runs a command that writes FILE from a user's files. The checks come in
// this order, the first that fails giving the exit code: the arguments (1),
// the user (2), the data file, the keys file and then the history (or the
// strokes per program) when the command reads it, then the other PCs' files
// (3), FILE not one of Kivora's own files (4); then the command writes (4
// when it cannot). Nothing is written unless the code is 0.
int RunUserCommand(const UserCommand& command);
