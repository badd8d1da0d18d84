#pragma once
// How the polling thread waits between two passes, so that they come every
// 20 ms. Sleep waits whole ticks of the system clock: on Windows they are
// 15.6 ms long unless some program has asked for finer ones, so Sleep(20)
// lasts about 31 ms. Asking for finer ticks (timeBeginPeriod) would make the
// whole system wake more often. A high-resolution waitable timer (Windows 10
// 1803 and later) keeps 20 ms without that. Under Wine the clock ticks every
// millisecond, Sleep keeps 20 ms and costs nothing more, while a timer costs
// trips to Wine's server at each pass.
//
// So the pacer waits on the timer while the clock ticks coarser than
// FineTickUs and a timer can be made, and sleeps otherwise; it asks for the
// tick every TickCheckPasses passes, since other programs change it. Each
// wait aims at a deadline one period after the last, so that the passes keep
// to 50 a second whatever a scan or a late wake took (sleeps on coarse ticks
// then come a tick or two apart, 50 a second on average); a wait that begins
// more than a period late (a computer that slept) starts the deadlines anew.
//
// States: Sleeping -> Timed (the tick is coarse and no timer has failed) ->
// Sleeping (the tick is fine again, or the timer failed: then for good).
#include <cstdint>

class PacerPort {
public:
    virtual ~PacerPort() = default;
    // A steady clock.
    virtual int64_t NowMicroseconds() = 0;
    // The system clock's tick now; 0 where it cannot be told.
    virtual int64_t ClockTickMicroseconds() = 0;
    virtual void SleepMilliseconds(uint32_t milliseconds) = 0;
    // Waits on a high-resolution timer; false, at once, where there is none.
    virtual bool TimedWait(int64_t microseconds) = 0;
};

class PassPacer {
public:
    enum class Wait { Sleeping, Timed };

    static constexpr int64_t PeriodUs = 20000;
    static constexpr int64_t FineTickUs = 2000;
    static constexpr int TickCheckPasses = 50;

    explicit PassPacer(PacerPort& port) : port_(port) {}

    // Waits until the next pass is due.
    void WaitForNextPass();
    // When the pass that the last wait led to was due, on the port's clock:
    // the pass's time, without asking the clock again.
    int64_t PassDueMicroseconds() const { return deadlineUs_; }
    Wait Waiting() const { return wait_; }

private:
    PacerPort& port_;
    Wait wait_ = Wait::Sleeping;
    bool started_ = false;
    bool timerFailed_ = false;
    int passes_ = 0;
    int64_t deadlineUs_ = 0;
};
