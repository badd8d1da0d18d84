#include "history/history_export.h"

#include <string>

#include "app/app.h"
#include "app/command_line.h"
#include "history/user_history.h"
#include "store/atomic_file.h"
#include "store/user_data.h"
#include "users/users.h"

namespace {

bool WriteExport(const char* path, const std::string& table)
{
    return WriteFileAtomically(path, table.data(), static_cast<DWORD>(table.size()), WriteMode::Replace);
}

} // namespace

void ExportFromWindow(HWND owner)
{
    StoredValues values = CollectStoredValues(Counters);
    std::optional<HistoryPeriods> periods = CurrentHistoryPeriods(values);
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
    if (!AskSaveAsPath(owner, {defaultName.c_str(), "CSV (*.csv)", "*.csv", "csv"}, path))
        return;
    if (!WriteExport(path, FormatHistoryExport(values, *periods)))
        ShowMessage(owner, "ファイルに書き出せませんでした。書き込める場所と名前を選んでください。",
                    AppText::ErrorCaption, MB_OK | MB_ICONWARNING);
}

int RunExportCommand(const char* user, const char* file)
{
    StoredValues values{};
    HistoryPeriods periods;
    CommandExit read = ReadUserForCommand(user, values, periods);
    if (read != CommandDone)
        return read;
    return WriteExport(file, FormatHistoryExport(values, periods)) ? CommandDone : CommandUnwritable;
}
