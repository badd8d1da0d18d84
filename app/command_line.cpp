#include "app/command_line.h"

#include <windows.h>

#include "export/export_file.h"
#include "keymap/heatmap_command.h"
#include "store/user_for_command.h"

namespace {

bool IsCommand(const char* argument, const char* command) { return lstrcmpiA(argument, command) == 0; }

} // namespace

bool RunCommandLine(int argc, char** argv, int& exitCode)
{
    if (argc < 2)
        return false;
    if (IsCommand(argv[1], "/export")) {
        exitCode = argc == 4 ? RunExportCommand(argv[2], argv[3]) : CommandWrongArguments;
        return true;
    }
    if (IsCommand(argv[1], "/heatmap")) {
        exitCode = argc == 4 || argc == 5 ? RunHeatmapCommand(argv[2], argv[3], argc == 5 ? argv[4] : nullptr)
                                          : CommandWrongArguments;
        return true;
    }
    // Anything else is no command: the program starts as always.
    return false;
}
