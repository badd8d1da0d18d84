#include "app/command_line.h"

#include <windows.h>

#include <string>

#include "chart/chart_command.h"
#include "export/export_file.h"
#include "keymap/heatmap_command.h"
#include "programs/apps_command.h"
#include "store/user_for_command.h"
#include "sync/command_pcs.h"
#include "win/error_line.h"

namespace {

// One line a command, as the guides write them.
constexpr const char* UsageLines[] = {
    "Kivora.exe /export ユーザー名 ファイル名.csv [thispc]",
    "Kivora.exe /heatmap ユーザー名 ファイル名.png [all|today|7|30|YYYY-MM-DD..YYYY-MM-DD] [thispc]",
    "Kivora.exe /chart ユーザー名 ファイル名.png [30|90|365|all] [allkeys] [thispc]",
    "Kivora.exe /apps ユーザー名 ファイル名.csv [today|7|30|all|YYYY-MM-DD..YYYY-MM-DD] [thispc]",
};

bool IsCommand(const wchar_t* argument, const wchar_t* command) { return lstrcmpiW(argument, command) == 0; }

// A command refused its words: the line that tells it and how it is used.
int Refused(int exitCode, int usageLine)
{
    if (exitCode == CommandWrongArguments)
        WriteErrorLine(std::string("指定が正しくありません。使い方: ") + UsageLines[usageLine]);
    return exitCode;
}

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
        exitCode = Refused(RunExportCommand(argv[2], argv[3]), 0);
        return true;
    }
    if (IsCommand(argv[1], L"/heatmap") && (argc == 4 || argc == 5)) {
        exitCode = Refused(RunHeatmapCommand(argv[2], argv[3], argc == 5 ? argv[4] : nullptr), 1);
        return true;
    }
    if (IsCommand(argv[1], L"/chart") && argc >= 4 && argc <= 6) {
        exitCode = Refused(
            RunChartCommand(argv[2], argv[3], argc >= 5 ? argv[4] : nullptr, argc == 6 ? argv[5] : nullptr), 2);
        return true;
    }
    if (IsCommand(argv[1], L"/apps") && (argc == 4 || argc == 5)) {
        exitCode = Refused(RunAppsCommand(argv[2], argv[3], argc == 5 ? argv[4] : nullptr), 3);
        return true;
    }
    // A mistyped command must not start the program (nor end at once beside
    // a running one, as a second copy does, with exit code 0).
    WriteErrorLine("使い方:");
    for (const char* line : UsageLines)
        WriteErrorLine(std::string("  ") + line);
    exitCode = CommandWrongArguments;
    return true;
}
