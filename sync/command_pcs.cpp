#include "sync/command_pcs.h"

#include <windows.h>

#include "history/day_range.h"
#include "history/user_history.h"
#include "options/settings_file.h"
#include "options/sync_setting.h"
#include "users/user_list.h"
#include "sync/folder_on_disk.h"
#include "sync/other_pcs.h"
#include "sync/pc_days.h"
#include "win/error_line.h"

CommandExit AddOtherPcsToCommand(CommandUser& user)
{
    char folder[PathCapacity];
    ReadSyncFolder(SettingsPath, folder);
    if (folder[0] == '\0')
        return CommandDone;
    const std::string userFolder = std::string(folder) + '\\' + user.name;
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        WriteErrorLine(std::string("記録を共有するフォルダー（") + folder +
                       "）を読めません。この PC だけの記録は、最後に thispc を付けると使えます。");
        return CommandUnreadable;
    }
    if (GetFileAttributesA(userFolder.c_str()) == INVALID_FILE_ATTRIBUTES)
        return CommandDone;   // no PC has written this user's files yet
    // This PC's own copies are never read: its files here are the truth.
    std::string id = ReadUserPcIdSetting(SettingsPath, user.name.c_str());
    if (!IsPcId(id))
        id = ReadPcIdSetting(SettingsPath);
    char dataFile[PathCapacity];
    if (!FindUserDataFile(user.name.c_str(), dataFile))
        return CommandDone;   // found before, by the command's own reading
    FolderOnDisk disk(userFolder, true);
    // This PC's days as the files hold them tell the days copied from it,
    // whatever the command itself read.
    LocalFilesOnDisk local(dataFile, true);
    OtherPcs others;
    const LocalDate today = TodaysDate();
    switch (others.Refresh(disk, local, IsPcId(id) ? PcOf(ThisComputersName(), id) : std::string(), today)) {
    case FolderRead::Read:
    case FolderRead::Unreachable:   // gone since it was looked at: as if empty
        break;
    case FolderRead::Held:
        if (others.HeldLocal())
            WriteErrorLine("ユーザー「" + user.name +
                           "」の日ごとの記録ファイルを読み込めません。ほかのアプリが開いていれば閉じてから、やり直してください。");
        else
            WriteErrorLine("記録を共有するフォルダーのファイル（" + others.HeldFile() +
                           "）を読み込めません。同期が終わってから、やり直してください。");
        return CommandUnreadable;
    }
    AddCounts(user.allTime, others.AllTime());
    const AppBook apps = others.Tallied(Tally::Apps).AsBook(others.NamesOf(Tally::Apps));
    for (const auto& [date, programs] : apps.Days())
        user.apps.Add(date, programs);
    const AppBook shortcuts =
        others.Tallied(Tally::Shortcuts).AsBook(others.NamesOf(Tally::Shortcuts), Tally::Shortcuts);
    for (const auto& [date, struck] : shortcuts.Days())
        user.shortcuts.Add(date, struck);
    others.Days().AddTo(user.days);
    user.periods = PeriodsOfDays(user.days, today);
    return CommandDone;
}
