#include "capture/key_poll_thread.h"

#include "capture/other_key_scan.h"
#include "win/main_window_frame.h"

std::atomic<LONG> RunFlag{1};
std::atomic<bool> ClockRetryReminders{false};

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

void InvalidateArea(HWND window, const PixelRect& rect)
{
    if (rect.IsEmpty())
        return;
    RECT area = {rect.left, rect.top, rect.right, rect.bottom};
    InvalidateRect(window, &area, FALSE);
}

DWORD WINAPI KeyPollThread(LPVOID parameter)
{
    const PollChores chores = parameter != nullptr ? *static_cast<const PollChores*>(parameter) : PollChores{};
    WindowsKeyboard keyboard;
    ForgetEarlierPresses(keyboard);
    ForgetEarlierOtherPresses(Counters, keyboard);
    for (int pass = 1; RunFlag != 0; ++pass) {
        // Every key, every pass. Under Wine the other keys' 62 queries cost
        // about 0.1 µs each (the thread's copy of the key table answers
        // them) and add 3 to 6 % to the idle pass; asking GetLastInputInfo
        // first, so as to skip them while no input came, cost more than it
        // saved, since each call is a round trip to the Wine server.
        ScanEveryKey(Counters, OtherKeys, keyboard);
        Sleep(PollPeriodMs);
        if (chores.afterEachPass != nullptr)
            chores.afterEachPass();
        // The clock is the interface thread's; this thread only reminds it.
        if (pass % PassesPerSecond == 0 && ClockRetryReminders)
            PostMessageA(MainWindow, RetryClockMessage, 0, 0);
    }
    return 0;
}
