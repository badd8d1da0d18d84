#include "app/command_line.h"

#include <windows.h>

#include <string>

#include "history/history_export.h"
#include "history/user_history.h"
#include "keymap/heatmap_command.h"
#include "store/user_data.h"
#include "users/users.h"

namespace {

bool IsCommand(const char* argument, const char* command) { return lstrcmpiA(argument, command) == 0; }

std::optional<std::string> ReadWholeFileShared(const std::string& path, bool& missing)
{
    missing = false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return std::nullopt;
    }
    std::optional<std::string> text;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size) && size.QuadPart <= static_cast<LONGLONG>(LargestHistoryFile)) {
        std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
        DWORD read = 0;
        if (bytes.empty() ||
            (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size()))
            text = std::move(bytes);
    }
    CloseHandle(file);
    return text;
}

} // namespace

CommandExit ReadUserForCommand(const char* user, StoredValues& values, HistoryPeriods& periods)
{
    // Where the window's login finds its users.
    WorkOutAppFolder();
    char dataFile[PathCapacity];
    if (!FindUserDataFile(user, dataFile))
        return CommandUnknownUser;
    if (!ReadUserDataReadOnly(dataFile, values))
        return CommandUnreadable;
    std::string historyPath;
    if (!HistoryPathOf(dataFile, historyPath))
        return CommandUnreadable;
    bool missing = false;
    std::optional<std::string> text = ReadWholeFileShared(historyPath, missing);
    if (!text && !missing)
        return CommandUnreadable;
    std::optional<HistoryPeriods> read = HistoryPeriodsOfText(text ? *text : std::string(), TodaysDate());
    if (!read)
        return CommandUnreadable;
    periods = *read;
    return CommandDone;
}

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
