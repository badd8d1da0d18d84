// The polling thread's waits as Windows gives them: the clock's tick, asked of
// ntdll, and the high-resolution waitable timer that the pacer waits on where
// the tick is coarse; and the time of the last input that a pass asks first.
#include <gtest/gtest.h>
#include <windows.h>

#include "capture/key_poll_thread.h"

namespace {

TEST(PassWaits, TheClocksTickIsKnownAndTheTimerWaitsAtLeastItsTime)
{
    WindowsPassWaits waits;
    const int64_t tick = waits.ClockTickMicroseconds();
    EXPECT_GT(tick, 0) << "NtQueryTimerResolution answers";
    EXPECT_LE(tick, 15625);
    for (int64_t wait : {int64_t{20000}, int64_t{3000}}) {
        const int64_t start = waits.NowMicroseconds();
        ASSERT_TRUE(waits.TimedWait(wait)) << "a high-resolution waitable timer, as Windows 10 1803 and Wine have";
        EXPECT_GE(waits.NowMicroseconds() - start, wait - 1000);
    }
}

TEST(PassWaits, TheLastInputIsToldInTicksOfGetTickCount)
{
    LASTINPUTINFO info = {sizeof info, 0};
    ASSERT_TRUE(GetLastInputInfo(&info));
    EXPECT_LE(static_cast<int32_t>(info.dwTime - GetTickCount()), 0) << "not in the future";
}

} // namespace
