#include "capture/key_poll_thread.h"

#include "app/app.h"
#include "capture/key_scan.h"
#include "users/users.h"

namespace {

constexpr DWORD PollPeriodMs = 20;

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
    while (RunFlag != 0) {
        ScanPass(Counters, keyboard);
        Sleep(PollPeriodMs);
        RunRegistrationCheck();
    }
    return 0;
}
