// The time of one save of a user's counts, against two plain writes of the
// same 738 bytes in the same folder: one flushed, one not. Each round runs the
// three in turn, so that they share whatever the disk is doing. Arguments:
// the folder, the number of rounds. Prints one line per write, in
// microseconds: "save kind=atomic|flushed|plain us=N".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/app.h"
#include "store/user_data.h"
#include "store/user_record.h"

namespace {

long long Now()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

double Microseconds(long long ticks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1e6 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

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

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 100;
    char plainPath[MAX_PATH];
    if (std::snprintf(DataFilePath, sizeof DataFilePath, "%s\\bench.dat", argv[1]) >= static_cast<int>(sizeof DataFilePath) ||
        std::snprintf(plainPath, sizeof plainPath, "%s\\plain.dat", argv[1]) >= static_cast<int>(sizeof plainPath))
        return 2;
    CreateDirectoryA(argv[1], nullptr);

    RecordImage image;
    for (int round = 0; round < rounds; ++round) {
        // Values that change every round, as they do between two saves.
        Counters.LowercaseGroup.keys[round % LetterCount].count.value += 1;
        Counters.TotalStrokes.value += 1;
        FormatRecordTexts(CollectStoredValues(Counters), image);

        long long start = Now();
        bool ok = SaveUserData() == 0;
        Report("atomic", Now() - start, ok);

        start = Now();
        ok = PlainWrite(plainPath, image, true);
        Report("flushed", Now() - start, ok);

        start = Now();
        ok = PlainWrite(plainPath, image, false);
        Report("plain", Now() - start, ok);
    }
    std::fflush(stdout);
    DeleteFileA(DataFilePath);
    DeleteFileA(plainPath);
    return 0;
}
