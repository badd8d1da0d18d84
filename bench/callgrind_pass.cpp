// A fixed number of polling passes, for instruction counts under callgrind:
// argv[1] the kind of pass, argv[2] the number of passes:
//   quiet   a pass as the polling thread makes it with no input for minutes
//   idle    a whole scan with no key down (every key asked for)
//   stroke  a whole scan, a stroke of K (a key of the pages) every other pass
//   space   the same with Space (another key)
//   pages   the count pages' scans alone, no key down
// It prints the questions asked of the keyboard per pass.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "table_keyboard.h"

int main(int argc, char** argv)
{
    const char* kind = argc > 1 ? argv[1] : "idle";
    int key = std::strcmp(kind, "stroke") == 0 ? 'K' : std::strcmp(kind, "space") == 0 ? 0x20 : -1;
    bool pagesAlone = std::strcmp(kind, "pages") == 0;
    bool quiet = std::strcmp(kind, "quiet") == 0;
    long passes = argc > 2 ? std::atol(argv[2]) : 10000;
    CounterTable table;
    OtherKeyTable others;
    TableKeyboard keyboard;
    KeyPoller poller;
    // Ten minutes of quiet passes first, as after a long pause: not counted.
    for (long pass = 0; quiet && pass < 30000; ++pass)
        poller.Pass(table, others, keyboard, 20 * pass);
    keyboard.questions = 0;
    for (long pass = 0; pass < passes; ++pass) {
        keyboard.down = pass % 2 == 0 ? key : -1;
        if (pagesAlone)
            ScanPass(table, keyboard);
        else if (quiet)
            poller.Pass(table, others, keyboard, 20 * (30000 + pass));
        else
            ScanEveryKey(table, others, keyboard);
    }
    std::printf("%d %lld questions/pass %.3f\n", table.TotalStrokes.value.load(), static_cast<long long>(others.Count(0)),
                passes > 0 ? static_cast<double>(keyboard.questions) / static_cast<double>(passes) : 0.0);
    return 0;
}
