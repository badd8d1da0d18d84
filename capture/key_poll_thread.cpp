#include "capture/key_poll_thread.h"

#include "app/app.h"
#include "capture/key_scan.h"
#include "clock/uptime_clock_tick.h"
#include "users/users.h"

namespace {

constexpr DWORD PollPeriodMs = 20;
constexpr int PassesPerSecond = 50;

class WindowsKeyboard final : public KeyboardPort {
public:
    bool CapsLockToggled() override { return (GetKeyState(VK_CAPITAL) & 1) != 0; }

    int16_t AsyncKeyState(int virtualKey) override { return static_cast<int16_t>(GetAsyncKeyState(virtualKey)); }

    void Invalidate(const PixelRect& rect) override { InvalidateArea(MainWindow, rect); }
};

} // namespace

DWORD WINAPI KeyPollThread(LPVOID)
{
    WindowsKeyboard keyboard;
    ForgetEarlierPresses(keyboard);
    for (int pass = 1; RunFlag != 0; ++pass) {
        ScanPass(Counters, keyboard);
        Sleep(PollPeriodMs);
        RunRegistrationCheck();
        // The clock is the interface thread's; this thread only reminds it.
        if (pass % PassesPerSecond == 0 && ClockStartPending())
            PostMessageA(MainWindow, RetryClockMessage, 0, 0);
    }
    return 0;
}
