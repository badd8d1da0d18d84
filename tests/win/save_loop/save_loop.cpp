// Saves a user's counts over and over, each time with other values, until it
// is killed: the victim of the kill test. Argument: the data file's path.
#include <windows.h>

#include <cstring>

#include "store/user_data.h"
#include "win/main_window_frame.h"

int main(int argc, char** argv)
{
    if (argc < 2 || std::strlen(argv[1]) >= sizeof DataFilePath)
        return 2;
    std::strcpy(DataFilePath, argv[1]);
    for (int32_t round = 1;; ++round) {
        for (int slot = 0; slot < LetterCount; ++slot)
            Counters.LowercaseGroup.keys[slot].count.value = round * (slot + 1) % 99'999'999;
        Counters.TotalStrokes.value = round;
        SaveUserData();
    }
}
