#include "store/user_for_command.h"

#include <windows.h>

#include <string>

#include "history/user_history.h"
#include "store/own_files.h"
#include "store/user_data.h"
#include "store/user_keys.h"
#include "users/user_list.h"
#include "win/error_line.h"
#include "win/wide_text.h"

bool ArgumentText(const wchar_t* argument, std::string& text) { return CodePageFromWide(argument, text); }

namespace {

// Reads the days (or the strokes per program) as a login would see them:
// with the days that a running Kivora could not write yet, which wait in the
// pending file, folded in. A file that another program holds is waited for a
// moment. Empty when read (a user without a history file yet has none); else
// the line that tells why not.
std::string ReadDaysForCommand(const char* dataFile, CommandReads reads, CommandUser& user, HistoryBook& book)
{
    std::string historyPath;
    if (!HistoryPathOf(dataFile, historyPath))
        return "ユーザー「" + user.name + "」の日ごとの記録ファイルのパスが長すぎます。";
    UserHistoryFiles files(historyPath, true);
    const bool programs = reads == CommandReads::Apps;
    switch (programs ? ReadAppsAsLoginWould(files, user.apps) : ReadDaysAsLoginWould(files, TodaysDate(), book)) {
    case DaysForReading::Read:
        return std::string();
    case DaysForReading::HistoryUnreadable:
        return (programs ? "アプリごとの打鍵数の記録ファイル（" + files.NameOf(DiskFile::Apps)
                         : "日ごとの記録ファイル（" + files.NameOf(DiskFile::History)) +
               "）を読み込めません。ほかのアプリが開いていれば閉じてから、やり直してください。";
    case DaysForReading::PendingUnreadable:
        break;
    }
    // Without its days every period would miss some.
    return "日ごとの打鍵数の保留ファイル（" + files.NameOf(DiskFile::Pending) +
           "）を読み込めません。ほかのアプリが開いていれば閉じてから、やり直してください。";
}

// Finds the user and reads the data file, and the history as the command
// needs it; a failure is told on the standard error.
CommandExit ReadUserFiles(CommandReads reads, CommandUser& user)
{
    // Where the window's login finds its users, and its settings file.
    WorkOutAppFolder();
    WorkOutSettingsPath(GetModuleHandleA(nullptr));
    char dataFile[PathCapacity];
    if (!FindUserDataFile(user.name.c_str(), dataFile)) {
        WriteErrorLine("ユーザー「" + user.name + "」が見つかりません。");
        return CommandUnknownUser;
    }
    if (!ReadUserDataReadOnly(dataFile, user.values)) {
        WriteErrorLine("ユーザー「" + user.name + "」のデータファイルを読み込めません。");
        return CommandUnreadable;
    }
    OtherCounts others;
    if (!ReadUserKeysReadOnly(dataFile, others)) {
        WriteErrorLine("ユーザー「" + user.name + "」のすべてのキーの記録ファイルを読み込めません。"
                       "ほかのアプリが開いていれば閉じてから、やり直してください。");
        return CommandUnreadable;
    }
    user.allTime = SnapshotOf(user.values, others);
    HistoryBook book;
    const bool both = reads == CommandReads::DaysAndApps;
    std::string unread = ReadDaysForCommand(dataFile, both ? CommandReads::Days : reads, user, book);
    if (both && unread.empty())
        unread = ReadDaysForCommand(dataFile, CommandReads::Apps, user, book);
    if (!unread.empty()) {
        if (reads == CommandReads::DataFileOnly)
            return CommandDone;
        WriteErrorLine(unread);
        return CommandUnreadable;
    }
    if (reads == CommandReads::Days || both || CommandOtherPcs != nullptr)
        user.days = book.Days(HistoryCounts{});
    if (reads != CommandReads::Apps)
        user.periods = book.Periods(HistoryCounts{});
    return CommandDone;
}

} // namespace

OtherPcsAdder CommandOtherPcs = nullptr;

int RunUserCommand(const UserCommand& command)
{
    if (!command.argumentsRight)
        return CommandWrongArguments;
    CommandUser user;
    if (command.user == nullptr || !ArgumentText(command.user, user.name)) {
        // No data file can be named so: the user list is code page 932.
        WriteErrorLine("ユーザー名に使えない文字があるため、ユーザーが見つかりません。");
        return CommandUnknownUser;
    }
    CommandExit read = ReadUserFiles(command.reads, user);
    if (read == CommandDone && CommandOtherPcs != nullptr)
        read = CommandOtherPcs(user);
    if (read != CommandDone)
        return read;
    // After the read, which works out where Kivora's own files are.
    if (command.file.empty()) {
        WriteErrorLine("書き込むファイルの名前が空です。");
        return CommandUnwritable;
    }
    if (IsKivoraOwnFile(command.file)) {
        WriteErrorLine("書き込み先が Kivora の記録や設定のファイルなので、書き込みませんでした。別のファイル名を指定してください。");
        return CommandUnwritable;
    }
    if (!command.write(user, command.file, command.context)) {
        WriteErrorLine("ファイルに書き込めませんでした。フォルダーがあること、ほかのアプリがそのファイルを開いていないことを"
                       "確かめてください。");
        return CommandUnwritable;
    }
    return CommandDone;
}
