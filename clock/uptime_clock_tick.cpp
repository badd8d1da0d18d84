#include "clock/uptime_clock_tick.h"

#include "app/app.h"
#include "clock/uptime_clock.h"
#include "store/user_data.h"

namespace {

class WindowsClock final : public ClockPort {
public:
    explicit WindowsClock(HWND window) : window_(window) {}

    void Invalidate(const PixelRect& rect) override { InvalidateArea(window_, rect); }

    void Save() override { NoteSaveResult(SaveUserData() == 0); }

private:
    HWND window_;
};

} // namespace

void CALLBACK UptimeClockTick(HWND window, UINT, UINT_PTR, DWORD)
{
    WindowsClock clock(window);
    AdvanceUptimeClock(Counters, clock);
}
