#include "export/export_file.h"

#include <string>
#include <vector>

#include "export/export_table.h"
#include "store/user_days.h"
#include "store/own_files.h"
#include "store/user_data.h"
#include "store/user_for_command.h"
#include "users/user_names.h"
#include "win/app_text.h"
#include "win/atomic_file.h"
#include "win/modal_ui.h"
#include "win/save_as_dialog.h"
#include "win/wide_text.h"

namespace {

bool WriteExport(const std::wstring& path, const std::string& table)
{
    return WriteFileAtomically(path, {table}, WriteMode::Replace);
}

HistoryCounts SumOfEveryDay(const std::vector<HistoryDay>& days)
{
    HistoryCounts sum;
    for (const HistoryDay& day : days)
        AddCounts(sum, day.counts);
    return sum;
}

} // namespace

void ExportFromWindow(HWND owner)
{
    StoredValues values = CollectStoredValues(Counters);
    // With the running day's minutes and hours, which the clock keeps.
    const HistoryCounts allTime = RunningSnapshot(values, OtherKeys.Counts());
    std::optional<HistoryPeriods> periods = CurrentHistoryPeriods(allTime);
    if (!periods) {
        ShowMessage(owner, "日ごとの記録ファイル（data フォルダーの *.history.csv）を読めないため、書き出せません。",
                    AppText::ErrorCaption, MB_OK | MB_ICONWARNING);
        return;
    }
    // "taro.dat" is exported as "taro-kivora.csv".
    char user[UserEntryCapacity];
    UserNameFromFile(CurrentUserFile, user);
    std::string defaultName = std::string(user) + "-kivora.csv";
    char path[MAX_PATH];
    if (!AskSaveAsPath(owner, {defaultName.c_str(), "CSV (*.csv)", "*.csv", "csv"}, path) ||
        RefuseKivoraOwnFile(owner, path))
        return;
    std::optional<std::vector<HistoryDay>> days = CurrentHistoryDays(allTime);
    const HistoryCounts allDays = days ? SumOfEveryDay(*days) : HistoryCounts{};
    if (!WriteExport(WideFromCodePage(path), FormatHistoryExport(values, allTime, *periods, allDays)))
        ShowMessage(owner, "ファイルに書き出せませんでした。書き込める場所と名前を選んでください。",
                    AppText::ErrorCaption, MB_OK | MB_ICONWARNING);
}

int RunExportCommand(const wchar_t* user, const std::wstring& file)
{
    auto write = [](CommandUser& read, const std::wstring& path, const void*) {
        return WriteExport(path, FormatHistoryExport(read.values, read.allTime, read.periods, SumOfEveryDay(read.days)));
    };
    // The days too, for the all-time minutes.
    return RunUserCommand({true, user, CommandReads::Days, file, write, nullptr});
}
