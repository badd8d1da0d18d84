// The passes that Kivora's polling thread makes in a second: its pacer over
// the waits it makes on Windows (WindowsPassWaits), for a few seconds each:
//   kivora  as the polling thread waits, on whatever the clock's tick calls for
//   timer   the same pacer told that the clock ticks every 15.6 ms, as it does
//           on Windows by default: it waits on the high-resolution timer
//   sleep   a plain Sleep(20) after each pass, as the Parts' pass waited
// One line each: "passes how=<how> wait=<Sleeping|Timed> per_second=<n>
// longest_ms=<the longest time between two passes> tick_us=<the clock's tick>".
// argv[1]: seconds per way (default 5).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "capture/key_poll_thread.h"

namespace {

// Kivora's waits, but for the tick: as on a Windows that nobody asked for
// finer ticks.
class CoarseTickWaits final : public PacerPort {
public:
    int64_t NowMicroseconds() override { return waits_.NowMicroseconds(); }
    int64_t ClockTickMicroseconds() override { return 15625; }
    void SleepMilliseconds(uint32_t milliseconds) override { waits_.SleepMilliseconds(milliseconds); }
    bool TimedWait(int64_t microseconds) override { return waits_.TimedWait(microseconds); }

private:
    WindowsPassWaits waits_;
};

void Report(const char* how, const char* wait, long passes, int64_t elapsedUs, int64_t longestUs, int64_t tickUs)
{
    std::printf("passes how=%s wait=%s per_second=%.2f longest_ms=%.2f tick_us=%lld\n", how, wait,
                1e6 * static_cast<double>(passes) / static_cast<double>(elapsedUs),
                static_cast<double>(longestUs) / 1000.0, static_cast<long long>(tickUs));
    std::fflush(stdout);
}

void Paced(const char* how, PacerPort& port, int seconds)
{
    PassPacer pacer(port);
    const int64_t start = port.NowMicroseconds();
    int64_t last = start;
    int64_t longest = 0;
    long passes = 0;
    while (last - start < int64_t{seconds} * 1000000) {
        pacer.WaitForNextPass();
        const int64_t now = port.NowMicroseconds();
        longest = now - last > longest ? now - last : longest;
        last = now;
        ++passes;
    }
    Report(how, pacer.Waiting() == PassPacer::Wait::Timed ? "Timed" : "Sleeping", passes, last - start, longest,
           port.ClockTickMicroseconds());
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    WindowsPassWaits waits;
    Paced("kivora", waits, seconds);
    CoarseTickWaits coarse;
    Paced("timer", coarse, seconds);
    const int64_t start = waits.NowMicroseconds();
    int64_t last = start;
    int64_t longest = 0;
    long passes = 0;
    while (last - start < int64_t{seconds} * 1000000) {
        Sleep(20);
        const int64_t now = waits.NowMicroseconds();
        longest = now - last > longest ? now - last : longest;
        last = now;
        ++passes;
    }
    Report("sleep", "Sleeping", passes, last - start, longest, waits.ClockTickMicroseconds());
    return 0;
}
