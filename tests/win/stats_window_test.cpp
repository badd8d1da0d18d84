// The statistics window and the summary panel laid out for real: every band
// that the polling thread and the clock repaint holds the widest figure it
// can show, so that no digit of a long count is left stale on the screen.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "clock/uptime_clock_tick.h"
#include "stats/count_font.h"
#include "stats/stats_window.h"
#include "win/main_window_frame.h"
#include "win_test_support.h"

namespace {

using namespace wintest;

int WidthInCountFont(const char* text)
{
    HDC screen = GetDC(nullptr);
    SIZE size = {};
    {
        ScopedCountFont font(screen);
        GetTextExtentPoint32A(screen, text, static_cast<int>(std::strlen(text)), &size);
    }
    ReleaseDC(nullptr, screen);
    return size.cx;
}

TEST(StatsWindow, EveryRepaintBandHoldsTheWidestFigure)
{
    HiddenWindow mainWindow;
    MainWindow = mainWindow.Handle();
    CreateStatisticsWindows(MainWindow);
    StopClock();

    // Eight digits: the most a data file holds for any count.
    const char* const widest = "99999999";
    struct Band {
        const SharedRect* rect;
        const char* figure;
        const char* what;
    } bands[] = {
        {&Counters.HoursRect, widest, "hours"},
        {&Counters.MinutesRect, "60", "minutes"},
        {&Counters.SecondsRect, "59", "seconds"},
        {&Counters.TotalRect, widest, "total strokes"},
        {&Counters.RateRect, widest, "strokes per hour"},
    };
    for (const Band& band : bands) {
        PixelRect rect = band.rect->Load();
        EXPECT_GE(rect.right - rect.left, WidthInCountFont(band.figure)) << band.what;
        EXPECT_GE(rect.bottom - rect.top, 10) << band.what;
    }
    for (int slot = 0; slot < SlotCount; ++slot) {
        PixelRect rect = Counters.DisplaySlot[slot].Load();
        EXPECT_GE(rect.right - rect.left, WidthInCountFont(widest)) << "slot " << slot;
    }
    MainWindow = nullptr;
}

} // namespace
