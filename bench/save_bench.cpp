// The time of one save of a user's counts (the history, the keys file and
// the data file),
// for a user whose history is empty and for one with ten years of days,
// against two plain writes of the same 738 bytes in the same folder: one
// flushed, one not; and the export command over the ten years. Each round
// runs them in turn, so that they share whatever the disk is doing.
// Arguments: the folder, the number of rounds. Prints one line per write, in
// microseconds: "save kind=atomic|history|flushed|plain|export us=N".
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "qpc_clock.h"
#include "whole_file.h"
#include <cstring>

#include <string>

#include "export/export_file.h"
#include "history/history_file.h"
#include "history/user_history.h"
#include "store/user_days.h"
#include "store/user_keys.h"
#include "store/user_data.h"
#include "store/user_record.h"

namespace {

bool PlainWrite(const char* path, const RecordImage& image, bool flush)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, image.data(), static_cast<DWORD>(image.size()), &written, nullptr) &&
              written == image.size();
    if (flush)
        ok = FlushFileBuffers(file) && ok;
    CloseHandle(file);
    return ok;
}

void Report(const char* kind, long long ticks, bool ok)
{
    std::printf("save kind=%s us=%.1f ok=%d\n", kind, Microseconds(ticks), ok ? 1 : 0);
}

// Ten years of days up to yesterday, each with a day's typing.
std::string TenYearsOfHistory()
{
    std::string text(HistoryHeader);
    text += "\r\n";
    LocalDate today = TodaysDate();
    for (int back = 3650; back >= 1; --back) {
        HistoryCounts day;
        day.seconds = 3600 + back % 7200;
        for (int key = 0; key < HistoryKeyCount; ++key)
            day.keys[key] = (back * 31 + key * 17) % 900;
        AppendHistoryLine(text, AddDays(today, -back), day);
    }
    return text;
}

// Makes path the logged-in user's file, with its keys file and history opened.
void LogIn(const std::string& path)
{
    std::snprintf(DataFilePath, sizeof DataFilePath, "%s", path.c_str());
    OtherKeys.Store(OpenUserKeys(DataFilePath));
    OpenUserHistory(DataFilePath, AllTimeCounts());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 100;
    const std::string folder = argv[1];
    const std::string data = folder + "\\data";
    const std::string plainPath = folder + "\\plain.dat";
    const std::string emptyUser = data + "\\empty.dat";
    const std::string longUser = data + "\\tenyears.dat";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA(data.c_str(), nullptr);
    RecordImage image;
    FormatRecordTexts(CollectStoredValues(Counters), image);
    if (!WriteWhole(emptyUser, std::string(image.data(), image.size())) ||
        !WriteWhole(longUser, std::string(image.data(), image.size())) ||
        !WriteWhole(data + "\\tenyears.history.csv", TenYearsOfHistory()))
        return 2;
    // The export command finds its users where the login does: here.
    SetCurrentDirectoryA(folder.c_str());

    for (int round = 0; round < rounds; ++round) {
        // Values that change every round, as they do between two saves.
        Counters.LowercaseGroup.keys[round % LetterCount].count.value += 1;
        Counters.TotalStrokes.value += 1;
        FormatRecordTexts(CollectStoredValues(Counters), image);

        LogIn(emptyUser);
        long long start = Now();
        bool ok = SaveUserData() == 0;
        Report("atomic", Now() - start, ok);

        LogIn(longUser);
        start = Now();
        ok = SaveUserData() == 0;
        Report("history", Now() - start, ok);

        start = Now();
        ok = PlainWrite(plainPath.c_str(), image, true);
        Report("flushed", Now() - start, ok);

        start = Now();
        ok = PlainWrite(plainPath.c_str(), image, false);
        Report("plain", Now() - start, ok);

        start = Now();
        ok = RunExportCommand(L"tenyears", L"export.csv") == 0;
        Report("export", Now() - start, ok);
    }
    std::fflush(stdout);
    return 0;
}
