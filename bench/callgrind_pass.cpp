// A fixed number of polling passes, for instruction counts under callgrind:
// argv[1] "idle" or "stroke", argv[2] the number of passes.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "table_keyboard.h"

int main(int argc, char** argv)
{
    bool strokes = argc > 1 && std::strcmp(argv[1], "stroke") == 0;
    long passes = argc > 2 ? std::atol(argv[2]) : 10000;
    CounterTable table;
    TableKeyboard keyboard;
    for (long pass = 0; pass < passes; ++pass) {
        keyboard.down = strokes && pass % 2 == 0 ? 'K' : -1;
        ScanPass(table, keyboard);
    }
    std::printf("%d\n", table.TotalStrokes.value.load());
    return 0;
}
