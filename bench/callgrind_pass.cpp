// A fixed number of polling passes, for instruction counts under callgrind:
// argv[1] "idle", "stroke" (of K, a key of the pages), "space" (of Space, an
// other key) or "pages" (idle, the pages' scans alone), argv[2] the number
// of passes.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "table_keyboard.h"

int main(int argc, char** argv)
{
    const char* kind = argc > 1 ? argv[1] : "idle";
    int key = std::strcmp(kind, "stroke") == 0 ? 'K' : std::strcmp(kind, "space") == 0 ? 0x20 : -1;
    bool pagesAlone = std::strcmp(kind, "pages") == 0;
    long passes = argc > 2 ? std::atol(argv[2]) : 10000;
    CounterTable table;
    OtherKeyTable others;
    TableKeyboard keyboard;
    for (long pass = 0; pass < passes; ++pass) {
        keyboard.down = pass % 2 == 0 ? key : -1;
        if (pagesAlone)
            ScanPass(table, keyboard);
        else
            ScanEveryKey(table, others, keyboard);
    }
    std::printf("%d %lld\n", table.TotalStrokes.value.load(), static_cast<long long>(others.Count(0)));
    return 0;
}
