// A process that saves in a loop is killed at random instants, a few hundred
// times: after every kill the user's file is a whole file of 82 records, the
// old one or the new one, never empty or partial.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>

#include "store/user_record.h"
#include "win_test_support.h"

namespace {

TEST(SaveKill, FileIsAlwaysWholeWhateverInstantTheSaverIsKilledAt)
{
    wintest::TempFolder folder;
    const std::string dataFile = folder / "taro.dat";
    const std::string saver = wintest::Beside("kivora_save_loop.exe");
    ASSERT_NE(GetFileAttributesA(saver.c_str()), INVALID_FILE_ATTRIBUTES) << saver;

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> killAfterMs(0, 40);
    constexpr int Kills = 300;
    int killedMidway = 0;
    int failedStarts = 0;   // the harness's own hiccups (Wine under load), not the saver's
    for (int kill = 0; kill < Kills; ++kill) {
        std::string command = "\"" + saver + "\" \"" + dataFile + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        while (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process)) {
            ASSERT_LT(++failedStarts, 20) << "the saver does not start: error " << GetLastError();
            Sleep(100);
        }
        Sleep(static_cast<DWORD>(killAfterMs(random)));
        TerminateProcess(process.hProcess, 9);
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);

        auto bytes = wintest::ReadBytes(dataFile);
        if (!bytes)
            continue;   // killed before its first save had put a file in place
        ++killedMidway;
        ASSERT_TRUE(IsCompleteRecordImage(reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size()))
            << "kill " << kill << ": " << bytes->size() << " bytes";
    }
    EXPECT_GT(killedMidway, Kills / 2) << "most kills must hit a running saver";
    std::printf("%d kills, %d of them after a save had put the file in place; %d failed starts retried\n", Kills,
                killedMidway, failedStarts);
}

} // namespace
