#include <gtest/gtest.h>

#include <algorithm>

#include "capture/pass_pacer.h"

namespace {

// A clock whose sleeps end at the next tick of the system clock, a little
// late, as Windows' do; and a high-resolution timer, or none.
class FakePacerPort final : public PacerPort {
public:
    int64_t tickUs = 1000;
    bool timer = true;
    int64_t now = 0;
    int timedWaits = 0;

    int64_t NowMicroseconds() override { return now; }
    int64_t ClockTickMicroseconds() override { return tickUs; }
    void SleepMilliseconds(uint32_t milliseconds) override
    {
        const int64_t end = now + int64_t{milliseconds} * 1000;
        now = (end + tickUs - 1) / tickUs * tickUs + 200;
    }
    bool TimedWait(int64_t microseconds) override
    {
        if (!timer)
            return false;
        ++timedWaits;
        now += microseconds + 50;
        return true;
    }
};

struct Passes {
    int count = 0;
    int64_t longestGapUs = 0;
};

// The passes of ten seconds, each taking scanUs before its wait.
Passes TenSeconds(PassPacer& pacer, FakePacerPort& port, int64_t scanUs = 100)
{
    const int64_t end = port.now + 10000000;
    Passes passes;
    int64_t last = port.now;
    while (port.now < end) {
        port.now += scanUs;
        pacer.WaitForNextPass();
        ++passes.count;
        passes.longestGapUs = std::max(passes.longestGapUs, port.now - last);
        last = port.now;
    }
    return passes;
}

TEST(PassPacer, KeepsFiftyPassesASecondTheCheapestWayThereIs)
{
    struct Case {
        int64_t tickUs;
        bool timer;
        int64_t scanUs;
        PassPacer::Wait waits;
        int64_t longestGapUs;
    } cases[] = {
        {1000, true, 100, PassPacer::Wait::Sleeping, 22000},     // fine ticks (Wine): Sleep keeps time
        {1000, true, 3000, PassPacer::Wait::Sleeping, 24000},    // a long scan is waited less
        {15625, true, 100, PassPacer::Wait::Timed, 21000},       // Windows' 15.6 ms ticks: the timer
        {15625, false, 100, PassPacer::Wait::Sleeping, 31500},   // ... none: a tick or two apart
        {0, true, 100, PassPacer::Wait::Timed, 21000},           // the tick unknown: the timer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("tick " + std::to_string(c.tickUs) + " timer " + std::to_string(c.timer));
        FakePacerPort port;
        port.tickUs = c.tickUs;
        port.timer = c.timer;
        PassPacer pacer(port);
        if (c.tickUs == 0)
            port.tickUs = 15625;   // how sleeps really end
        const Passes passes = TenSeconds(pacer, port, c.scanUs);
        EXPECT_GE(passes.count, 495);
        EXPECT_LE(passes.count, 505);
        EXPECT_LE(passes.longestGapUs, c.longestGapUs);
        EXPECT_EQ(pacer.Waiting(), c.waits);
    }
}

TEST(PassPacer, FollowsTheTickThatOtherProgramsChange)
{
    FakePacerPort port;
    port.tickUs = 15625;
    PassPacer pacer(port);
    pacer.WaitForNextPass();
    EXPECT_EQ(pacer.Waiting(), PassPacer::Wait::Timed);
    port.tickUs = 1000;   // a video player asked for 1 ms ticks
    for (int pass = 1; pass < PassPacer::TickCheckPasses; ++pass)
        pacer.WaitForNextPass();
    EXPECT_EQ(pacer.Waiting(), PassPacer::Wait::Timed) << "asked once a second";
    pacer.WaitForNextPass();
    EXPECT_EQ(pacer.Waiting(), PassPacer::Wait::Sleeping);
}

TEST(PassPacer, ATimerThatFailsIsNotTriedAgain)
{
    FakePacerPort port;
    port.tickUs = 15625;
    port.timer = false;
    PassPacer pacer(port);
    TenSeconds(pacer, port);
    port.timer = true;
    TenSeconds(pacer, port);
    EXPECT_EQ(port.timedWaits, 0);
    EXPECT_EQ(pacer.Waiting(), PassPacer::Wait::Sleeping);
}

TEST(PassPacer, APassThatComesLateStartsTheDeadlinesAnew)
{
    FakePacerPort port;
    PassPacer pacer(port);
    pacer.WaitForNextPass();
    port.now += 3000000;   // the computer slept
    const int64_t woke = port.now;
    pacer.WaitForNextPass();
    EXPECT_GE(port.now - woke, PassPacer::PeriodUs) << "a whole period, not a burst of passes to catch up";
    port.now += 5000;      // a pass late by a quarter of a period
    const int64_t late = port.now;
    pacer.WaitForNextPass();
    EXPECT_LT(port.now - late, PassPacer::PeriodUs) << "the next one comes sooner";
}

} // namespace
