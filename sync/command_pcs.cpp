#include "sync/command_pcs.h"

#include <windows.h>

#include "history/day_range.h"
#include "history/user_history.h"
#include "options/settings_file.h"
#include "options/sync_setting.h"
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
    std::string id = ReadPcIdSetting(SettingsPath);
    FolderOnDisk disk(userFolder, true);
    OtherPcs others;
    const LocalDate today = TodaysDate();
    switch (others.Refresh(disk, IsPcId(id) ? PcOf(ThisComputersName(), id) : std::string(), user.days, today)) {
    case FolderRead::Read:
    case FolderRead::Unreachable:   // gone since it was looked at: as if empty
        break;
    case FolderRead::Held:
        WriteErrorLine("記録を共有するフォルダーのファイル（" + others.HeldFile() +
                       "）を読み込めません。同期が終わってから、やり直してください。");
        return CommandUnreadable;
    }
    const OtherPcSums& sums = others.Sums();
    AddCounts(user.allTime, sums.allTime);
    for (const auto& [date, programs] : sums.apps.Days())
        user.apps.Add(date, programs);
    user.days = AddDaysByDate(user.days, sums.days);
    user.periods = PeriodsOfDays(user.days, today);
    return CommandDone;
}
