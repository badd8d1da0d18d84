#include "capture/pass_pacer.h"

void PassPacer::WaitForNextPass()
{
    if (passes_++ % TickCheckPasses == 0) {
        const int64_t tick = port_.ClockTickMicroseconds();
        wait_ = !timerFailed_ && (tick == 0 || tick > FineTickUs) ? Wait::Timed : Wait::Sleeping;
    }
    const int64_t now = port_.NowMicroseconds();
    deadlineUs_ = started_ && now - deadlineUs_ < PeriodUs ? deadlineUs_ + PeriodUs : now + PeriodUs;
    started_ = true;
    const int64_t left = deadlineUs_ - now;
    if (left <= 0)
        return;
    if (wait_ == Wait::Timed) {
        if (port_.TimedWait(left))
            return;
        wait_ = Wait::Sleeping;
        timerFailed_ = true;
    }
    // The nearest whole millisecond: the sleeps then average the period.
    port_.SleepMilliseconds(static_cast<uint32_t>((left + 500) / 1000));
}
