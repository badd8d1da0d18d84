// The time of one save of a user's counts (the days, the keys file and the
// data file), and the bytes it writes in the data folder: a minute's save for
// a user whose history is empty and for one with ten years of days, the
// first save of a new day and the save before leaving with ten years, against
// two plain writes of the same 738 bytes in the same folder: one flushed, one
// not; and the export command over the ten years. Each round runs them in
// turn, so that they share whatever the disk is doing.
// Arguments: the folder, the number of rounds. Prints one line per write, in
// microseconds, with the bytes of the files it wrote:
// "save kind=atomic|history|newday|leaving|flushed|plain|export us=N bytes=N".
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "qpc_clock.h"
#include "whole_file.h"
#include <cstring>

#include <string>

#include "export/export_file.h"
#include "history/history_file.h"
#include "history/pending_history.h"
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

void Report(const char* kind, long long ticks, bool ok, uint64_t bytes = 0)
{
    std::printf("save kind=%s us=%.1f ok=%d bytes=%llu\n", kind, Microseconds(ticks), ok ? 1 : 0,
                static_cast<unsigned long long>(bytes));
}

// The files of a folder as a listing gives them: name, then size, last write
// time and index, which tell a file written anew.
struct Listed {
    uint64_t size, time, index;
};
std::map<std::string, Listed> ListFolder(const std::string& folder)
{
    std::map<std::string, Listed> files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        BY_HANDLE_FILE_INFORMATION info{};
        HANDLE file = CreateFileA((folder + "\\" + found.cFileName).c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            GetFileInformationByHandle(file, &info);
            CloseHandle(file);
        }
        files[found.cFileName] = {(static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                                  (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                                      found.ftLastWriteTime.dwLowDateTime,
                                  (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return files;
}

// The bytes of the files that were written anew (each is written whole).
uint64_t BytesWritten(const std::map<std::string, Listed>& before, const std::map<std::string, Listed>& after)
{
    uint64_t bytes = 0;
    for (const auto& [name, file] : after) {
        auto was = before.find(name);
        if (was == before.end() || was->second.size != file.size || was->second.time != file.time ||
            was->second.index != file.index)
            bytes += file.size;
    }
    return bytes;
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

// A pending file with yesterday's counts, as a running Kivora leaves it at
// midnight: the first save of the new day writes the day into the history.
std::string YesterdayWaiting()
{
    HistoryCounts day;
    day.seconds = 1800;
    day.keys[0] = 4000;
    return FormatPending({{AddDays(TodaysDate(), -1), day, {}}});
}

// One save timed, with the bytes it wrote in the folder.
template <typename Save>
void Measure(const char* kind, const std::string& folder, Save save)
{
    const auto before = ListFolder(folder);
    long long start = Now();
    bool ok = save();
    long long ticks = Now() - start;
    Report(kind, ticks, ok, BytesWritten(before, ListFolder(folder)));
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
        Counters.LowercaseGroup.keys[(round + 1) % LetterCount].count.value += 1;
        Measure("atomic", data, [] { return SaveUserData() == 0; });

        // Ten years, logged in a while ago: the minute's save writes the
        // running day, not the years.
        LogIn(longUser);
        SaveUserData();
        Counters.LowercaseGroup.keys[round % LetterCount].count.value += 1;   // a minute's typing
        Counters.ClockSeconds.value = (Counters.ClockSeconds.value + 1) % 60;
        Measure("history", data, [] { return SaveUserData() == 0; });

        // The first save of a new day, and the save before leaving: the years
        // are written once.
        WriteWhole(data + "\\tenyears.history.pending", YesterdayWaiting());
        LogIn(longUser);
        Measure("newday", data, [] { return SaveUserData() == 0; });
        Counters.LowercaseGroup.keys[round % LetterCount].count.value += 1;
        Measure("leaving", data, [] { return SaveUserData(SaveKind::Leaving) == 0; });

        long long start = Now();
        bool ok = PlainWrite(plainPath.c_str(), image, true);
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
