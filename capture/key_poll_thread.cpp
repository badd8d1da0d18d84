#include "capture/key_poll_thread.h"

#include "capture/key_poller.h"
#include "win/main_window_frame.h"

std::atomic<LONG> RunFlag{1};
std::atomic<bool> ClockRetryReminders{false};

namespace {

constexpr int PassesPerSecond = 50;
// Windows 10 1803 and later; older versions refuse it, and the pass sleeps.
constexpr DWORD HighResolutionTimer = 0x00000002;   // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

class WindowsKeyboard final : public KeyboardPort {
public:
    bool CapsLockToggled() override { return (GetKeyState(VK_CAPITAL) & 1) != 0; }

    int16_t AsyncKeyState(int virtualKey) override { return static_cast<int16_t>(GetAsyncKeyState(virtualKey)); }

    void Invalidate(const PixelRect& rect) override { InvalidateArea(MainWindow, rect); }

    std::optional<uint32_t> LastInputTick() override
    {
        LASTINPUTINFO info = {sizeof info, 0};
        if (!GetLastInputInfo(&info))
            return std::nullopt;
        return info.dwTime;
    }
};

} // namespace

WindowsPassWaits::WindowsPassWaits()
{
    LARGE_INTEGER frequency;
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0)
        frequency_ = frequency.QuadPart;
    // Not in the SDK's headers, but in ntdll since the first NT; Wine has it too.
    if (HMODULE ntdll = GetModuleHandleA("ntdll.dll"))
        queryTick_ = reinterpret_cast<QueryTimerResolution>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryTimerResolution")));
}

WindowsPassWaits::~WindowsPassWaits()
{
    if (timer_ != nullptr)
        CloseHandle(timer_);
}

int64_t WindowsPassWaits::NowMicroseconds()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart / frequency_ * 1000000 + counter.QuadPart % frequency_ * 1000000 / frequency_;
}

int64_t WindowsPassWaits::ClockTickMicroseconds()
{
    ULONG coarsest = 0;
    ULONG finest = 0;
    ULONG current = 0;   // in 100 ns
    if (queryTick_ == nullptr || queryTick_(&coarsest, &finest, &current) < 0)
        return 0;
    return current / 10;
}

void WindowsPassWaits::SleepMilliseconds(uint32_t milliseconds) { Sleep(milliseconds); }

bool WindowsPassWaits::TimedWait(int64_t microseconds)
{
    if (!timerTried_) {
        timerTried_ = true;
        timer_ = CreateWaitableTimerExW(nullptr, nullptr, HighResolutionTimer, TIMER_ALL_ACCESS);
    }
    LARGE_INTEGER due;
    due.QuadPart = -microseconds * 10;   // relative, in 100 ns
    return timer_ != nullptr && SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE) &&
           WaitForSingleObject(timer_, INFINITE) == WAIT_OBJECT_0;
}

void InvalidateArea(HWND window, const PixelRect& rect)
{
    // Nor while the window is hidden: showing it repaints it whole, and under
    // Wine each mark is a trip to its server.
    if (rect.IsEmpty() || !IsWindowVisible(window))
        return;
    RECT area = {rect.left, rect.top, rect.right, rect.bottom};
    InvalidateRect(window, &area, FALSE);
}

DWORD WINAPI KeyPollThread(LPVOID parameter)
{
    const PollChores chores = parameter != nullptr ? *static_cast<const PollChores*>(parameter) : PollChores{};
    WindowsKeyboard keyboard;
    WindowsPassWaits waits;
    PassPacer pacer(waits);
    KeyPoller poller;
    ForgetEarlierPresses(keyboard);
    ForgetEarlierOtherPresses(Counters, keyboard);
    int64_t passUs = waits.NowMicroseconds();
    for (int pass = 1; RunFlag != 0; ++pass) {
        const int strokes = poller.Pass(Counters, OtherKeys, keyboard, passUs / 1000);
        if (strokes != 0 && chores.strokesCounted != nullptr)
            chores.strokesCounted(strokes);
        // A pass that counted nothing may not have scanned: its list is the last scan's.
        for (int i = 0; strokes != 0 && chores.shortcutStruck != nullptr && i < Counters.passShortcuts.Count(); ++i)
            chores.shortcutStruck(Counters.passShortcuts[i].held, Counters.passShortcuts[i].virtualKey);
        pacer.WaitForNextPass();
        passUs = pacer.PassDueMicroseconds();
        if (chores.afterEachPass != nullptr)
            chores.afterEachPass();
        // The clock is the interface thread's; this thread only reminds it.
        if (pass % PassesPerSecond == 0 && ClockRetryReminders)
            PostMessageA(MainWindow, RetryClockMessage, 0, 0);
    }
    return 0;
}
