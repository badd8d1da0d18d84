#include "store/user_for_command.h"

#include <windows.h>

#include <string>

#include "history/user_history.h"
#include "store/own_files.h"
#include "store/user_data.h"
#include "users/user_list.h"
#include "win/error_line.h"
#include "win/wide_text.h"

bool UserOfArgument(const wchar_t* argument, std::string& user) { return CodePageFromWide(argument, user); }

namespace {

// What a command reads of a user: the data file's values, and the days as a
// login would see them, with the days that a running Kivora could not write
// yet, which wait in the pending file, folded in. A history or pending file
// that another program holds is waited for a moment. A user without a
// history file yet has no days.
struct UserForCommand {
    std::string user;
    StoredValues values{};
    HistoryBook book;
    bool daysRead = false;
    std::string unreadDays;   // why the days could not be read: the line a command prints
};

CommandExit ReadUserFiles(const char* user, UserForCommand& read)
{
    read.user = user;
    // Where the window's login finds its users, and its settings file.
    WorkOutAppFolder();
    WorkOutSettingsPath(GetModuleHandleA(nullptr));
    char dataFile[PathCapacity];
    if (!FindUserDataFile(user, dataFile)) {
        WriteErrorLine("ユーザー「" + read.user + "」が見つかりません。");
        return CommandUnknownUser;
    }
    if (!ReadUserDataReadOnly(dataFile, read.values)) {
        WriteErrorLine("ユーザー「" + read.user + "」のデータファイルを読み込めません。");
        return CommandUnreadable;
    }
    std::string historyPath;
    if (!HistoryPathOf(dataFile, historyPath)) {
        read.unreadDays = "ユーザー「" + read.user + "」の日ごとの記録ファイルのパスが長すぎます。";
        return CommandDone;
    }
    UserHistoryFiles files(historyPath, true);
    switch (ReadDaysAsLoginWould(files, TodaysDate(), read.book)) {
    case DaysForReading::Read:
        read.daysRead = true;
        break;
    case DaysForReading::HistoryUnreadable:
        read.unreadDays = "日ごとの記録ファイル（" + files.NameOf(DiskFile::History) +
                          "）を読み込めません。ほかのアプリが開いていれば閉じてから、やり直してください。";
        break;
    case DaysForReading::PendingUnreadable:
        // Without its days every period would miss some.
        read.unreadDays = "まだ記録ファイルに加えていない日ごとの打鍵数のファイル（" +
                          files.NameOf(DiskFile::Pending) +
                          "）を読み込めません。ほかのアプリが開いていれば閉じてから、やり直してください。";
        break;
    }
    return CommandDone;
}

// The days are needed and could not be read: said, and the exit code.
CommandExit DaysUnread(const UserForCommand& read)
{
    WriteErrorLine(read.unreadDays);
    return CommandUnreadable;
}

} // namespace

CommandExit ReadUserForCommand(const char* user, StoredValues& values, HistoryPeriods& periods, bool needHistory)
{
    periods = HistoryPeriods{};
    UserForCommand read;
    CommandExit found = ReadUserFiles(user, read);
    values = read.values;
    if (found != CommandDone)
        return found;
    if (read.daysRead)
        periods = read.book.Periods(HistoryCounts{});
    else if (needHistory)
        return DaysUnread(read);
    return CommandDone;
}

CommandExit ReadUserDaysForCommand(const char* user, StoredValues& values, std::vector<HistoryDay>& days)
{
    days.clear();
    UserForCommand read;
    CommandExit found = ReadUserFiles(user, read);
    values = read.values;
    if (found != CommandDone)
        return found;
    if (!read.daysRead)
        return DaysUnread(read);
    days = read.book.Days(HistoryCounts{});
    return CommandDone;
}

CommandExit CheckCommandTarget(const std::wstring& file)
{
    return file.empty() || IsKivoraOwnFile(file) ? CommandUnwritable : CommandDone;
}
