#include "app/command_line.h"

#include <windows.h>

#include <string>

#include "chart/chart_command.h"
#include "export/export_file.h"
#include "keymap/heatmap_command.h"
#include "store/user_for_command.h"
#include "sync/command_pcs.h"
#include "win/error_line.h"

namespace {

constexpr char Usage[] =
    "使い方: Kivora.exe /export ユーザー名 ファイル.csv [thispc]"
    " | Kivora.exe /heatmap ユーザー名 ファイル.png [all|today|7|30|YYYY-MM-DD..YYYY-MM-DD] [thispc]"
    " | Kivora.exe /chart ユーザー名 ファイル.png [30|90|365|all] [allkeys] [thispc]";

bool IsCommand(const wchar_t* argument, const wchar_t* command) { return lstrcmpiW(argument, command) == 0; }

} // namespace

bool RunCommandLine(int argc, wchar_t** argv, int& exitCode)
{
    if (argc < 2 || argv[1][0] != L'/')
        return false;
    // After FILE, a last "thispc" keeps the command to this PC's figures;
    // else those of the user's other PCs in the shared folder are added.
    const bool thisPcOnly = argc >= 5 && IsCommand(argv[argc - 1], L"thispc");
    argc -= thisPcOnly ? 1 : 0;
    CommandOtherPcs = thisPcOnly ? nullptr : AddOtherPcsToCommand;
    if (IsCommand(argv[1], L"/export") && argc == 4) {
        exitCode = RunExportCommand(argv[2], argv[3]);
        return true;
    }
    if (IsCommand(argv[1], L"/heatmap") && (argc == 4 || argc == 5)) {
        exitCode = RunHeatmapCommand(argv[2], argv[3], argc == 5 ? argv[4] : nullptr);
        return true;
    }
    if (IsCommand(argv[1], L"/chart") && argc >= 4 && argc <= 6) {
        exitCode = RunChartCommand(argv[2], argv[3], argc >= 5 ? argv[4] : nullptr, argc == 6 ? argv[5] : nullptr);
        return true;
    }
    // A mistyped command must not start the program (nor end at once beside
    // a running one, as a second copy does, with exit code 0).
    WriteErrorLine(Usage);
    exitCode = CommandWrongArguments;
    return true;
}
