// A process that saves in a loop is killed at random instants, a few hundred
// times: after every kill the user's file is a whole file of 82 records, the
// old one or the new one, never empty or partial.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>

#include "history/user_history.h"
#include "store/user_data.h"
#include "store/user_keys.h"
#include "store/user_record.h"
#include "user_data_fixture.h"
#include "win_test_support.h"

namespace {

// Starts the saver on the data file, with its arguments after it.
PROCESS_INFORMATION StartSaver(const std::string& dataFile, const char* mode, int& failedStarts)
{
    const std::string saver = wintest::Beside("kivora_save_loop.exe");
    std::string command = "\"" + saver + "\" \"" + dataFile + "\" " + mode;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    while (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &process)) {
        if (++failedStarts >= 20)
            return process;
        Sleep(100);
    }
    return process;
}

void Kill(PROCESS_INFORMATION& process)
{
    TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

TEST(SaveKill, FileIsAlwaysWholeWhateverInstantTheSaverIsKilledAt)
{
    wintest::TempFolder folder;
    const std::string dataFile = folder / "taro.dat";
    ASSERT_NE(GetFileAttributesA(wintest::Beside("kivora_save_loop.exe").c_str()), INVALID_FILE_ATTRIBUTES);

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> killAfterMs(0, 40);
    constexpr int Kills = 300;
    int killedMidway = 0;
    int failedStarts = 0;   // the harness's own hiccups (Wine under load), not the saver's
    for (int kill = 0; kill < Kills; ++kill) {
        PROCESS_INFORMATION process = StartSaver(dataFile, "", failedStarts);
        ASSERT_NE(process.hProcess, nullptr) << "the saver does not start: error " << GetLastError();
        Sleep(static_cast<DWORD>(killAfterMs(random)));
        Kill(process);

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

// A kill as soon as the data file has changed, again and again, while a
// spreadsheet holds the history for some of the rounds: every stroke that the
// data file's totals or the keys file hold is in a day on disk (the history,
// or the pending file beside it), since the days are saved first.
TEST(SaveKill, NoStrokeIsInTheTotalsAloneWhereverAKillComes)
{
    wintest::TempFolder folder;
    const std::string dataFile = folder / "taro.dat";
    std::string historyPath;
    ASSERT_TRUE(HistoryPathOf(dataFile.c_str(), historyPath));
    wintest::WriteBytes(dataFile, wintest::Image({}));
    wintest::WriteBytes(historyPath, std::string(HistoryHeader) + "\r\n");

    constexpr int Kills = 40;
    int failedStarts = 0;
    for (int kill = 0; kill < Kills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        wintest::FileHolder spreadsheet(historyPath, kill % 2 == 0 ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        const std::string before = wintest::ReadBytes(dataFile).value_or("");
        PROCESS_INFORMATION process = StartSaver(dataFile, "days", failedStarts);
        ASSERT_NE(process.hProcess, nullptr) << "the saver does not start";
        for (int waited = 0; wintest::ReadBytes(dataFile).value_or(before) == before && waited < 5000; ++waited)
            Sleep(1);
        Kill(process);
        spreadsheet.Release();

        StoredValues values{};
        ASSERT_TRUE(ReadUserDataReadOnly(dataFile.c_str(), values));
        UserHistoryFiles files(historyPath);
        HistoryBook book;
        ASSERT_EQ(ReadDaysAsLoginWould(files, TodaysDate(), book), DaysForReading::Read);
        int64_t inDays = 0, spaceInDays = 0;
        for (const HistoryDay& day : book.Days(HistoryCounts{})) {
            inDays += day.counts.keys[0];
            spaceInDays += day.counts.keys[DataFileKeyCount];
        }
        ASSERT_GE(inDays, values[0]) << "strokes of a in the data file: " << values[0];
        OtherCounts others{};
        ASSERT_TRUE(ReadUserKeysReadOnly(dataFile.c_str(), others));
        ASSERT_GE(spaceInDays, others[0]) << "strokes of Space in the keys file";
    }
    std::printf("%d kills as soon as the data file changed; %d failed starts retried\n", Kills, failedStarts);
}

} // namespace
