// Saves a user's counts over and over until it is killed: the victim of the
// kill tests. Arguments: the data file's path, then "days" to log the user
// in first (the history and the keys file beside the data file are then
// saved too) and count one more stroke of "a" and of Space before each save.
#include <windows.h>

#include <cstring>

#include "store/user_data.h"
#include "store/user_days.h"
#include "store/user_keys.h"
#include "win/atomic_file.h"
#include "win/main_window_frame.h"

namespace {

StoredValues ReadValues(const char* path)
{
    StoredValues values{};
    ReadUserDataReadOnly(path, values);
    return values;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::strlen(argv[1]) >= sizeof DataFilePath)
        return 2;
    std::strcpy(DataFilePath, argv[1]);
    if (argc > 2 && std::strcmp(argv[2], "days") == 0) {
        StoredValues values = ReadValues(DataFilePath);
        ApplyStoredValues(Counters, values);
        OtherKeys.Store(OpenUserKeys(DataFilePath));
        OpenUserHistory(DataFilePath, AllTimeCounts());
        for (;;) {
            RaiseCount(Counters.LowercaseGroup.keys[0].count.value);
            RaiseCount(Counters.TotalStrokes.value);
            OtherKeys.Raise(0);   // Space
            SaveUserData();
        }
    }
    for (int32_t round = 1;; ++round) {
        for (int slot = 0; slot < LetterCount; ++slot)
            Counters.LowercaseGroup.keys[slot].count.value = round * (slot + 1) % 99'999'999;
        Counters.TotalStrokes.value = round;
        SaveUserData();
    }
}
