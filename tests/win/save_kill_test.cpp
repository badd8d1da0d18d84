// A process that saves in a loop is killed at random instants, a few hundred
// times: after every kill the user's file is a whole file of 82 records, the
// old one or the new one, never empty or partial.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "store/user_record.h"

namespace {

std::string Beside(const char* name)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

std::string FreshFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "kivora-kill-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::vector<unsigned char> ReadAll(const std::string& path)
{
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    if (!bytes.empty())
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

TEST(SaveKill, FileIsAlwaysWholeWhateverInstantTheSaverIsKilledAt)
{
    const std::string folder = FreshFolder();
    const std::string dataFile = folder + "\\taro.dat";
    const std::string saver = Beside("kivora_save_loop.exe");
    ASSERT_NE(GetFileAttributesA(saver.c_str()), INVALID_FILE_ATTRIBUTES) << saver;

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> killAfterMs(0, 40);
    constexpr int Kills = 300;
    int killedMidway = 0;
    for (int kill = 0; kill < Kills; ++kill) {
        std::string command = "\"" + saver + "\" \"" + dataFile + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &process));
        Sleep(static_cast<DWORD>(killAfterMs(random)));
        TerminateProcess(process.hProcess, 9);
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);

        std::vector<unsigned char> bytes = ReadAll(dataFile);
        if (bytes.empty() && GetFileAttributesA(dataFile.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;   // killed before its first save had replaced anything
        ++killedMidway;
        ASSERT_TRUE(IsCompleteRecordImage(bytes.data(), bytes.size()))
            << "kill " << kill << ": " << bytes.size() << " bytes";
    }
    EXPECT_GT(killedMidway, Kills / 2) << "most kills must hit a running saver";

    DeleteFileA(dataFile.c_str());
    DeleteFileA((dataFile + ".tmp").c_str());
    RemoveDirectoryA(folder.c_str());
}

} // namespace
