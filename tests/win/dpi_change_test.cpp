// The shown main window told by Windows that it is now on a monitor at 150 %
// (WM_DPICHANGED), then back: everything inside laid out again at that scale,
// whole, with the repaint bands over their figures, and as before once back.
// At every scale Windows offers, on a laptop's screen too, the window stays
// inside the work area, no control leaves its parent and no text is cut.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "clock/uptime_clock_tick.h"
#include "res/resource.h"
#include "stats/count_font.h"
#include "stats/layout.h"
#include "stats/stats_window.h"
#include "text_fit.h"
#include "user_data_fixture.h"
#include "win/main_window_frame.h"
#include "win/screen_scale.h"

namespace {

using namespace wintest;

struct Placed {
    HWND window, parent;
    int id;
    std::string text;
    RECT rect;   // in the main window's client pixels
};

BOOL CALLBACK Collect(HWND window, LPARAM out)
{
    char text[64] = "";
    GetWindowTextA(window, text, sizeof text);
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, MainWindow, reinterpret_cast<POINT*>(&rect), 2);
    auto& inside = *reinterpret_cast<std::vector<Placed>*>(out);
    inside.push_back({window, GetParent(window), GetDlgCtrlID(window), text, rect});
    return TRUE;
}

bool Holds(const RECT& outer, const RECT& inner)
{
    return outer.left <= inner.left && inner.right <= outer.right && outer.top <= inner.top &&
           inner.bottom <= outer.bottom;
}

// Every window in the client area and on the one it belongs to (a page on
// the tabs, a control on its page), and each slot's band over where its page
// draws the widest figure. Returns what is inside, in creation order.
std::vector<Placed> ExpectLaidOutWhole(HWND& history)
{
    std::vector<Placed> inside;
    EnumChildWindows(MainWindow, Collect, reinterpret_cast<LPARAM>(&inside));
    RECT client;
    GetClientRect(MainWindow, &client);
    HWND countPage = nullptr;
    for (const Placed& placed : inside) {
        // The two dialogs are as large as their templates: what is on them counts.
        EXPECT_TRUE(placed.parent == MainWindow || Holds(client, placed.rect)) << placed.id << " " << placed.text;
        for (const Placed& parent : inside)
            EXPECT_TRUE(parent.window != placed.parent || Holds(parent.rect, placed.rect)) << placed.text;
        countPage = placed.text == "a:" ? placed.parent : countPage;
        history = placed.id == IDC_CHART_SPAN ? placed.parent : history;
    }
    HDC screen = GetDC(nullptr);
    SIZE widest = {};
    {
        ScopedCountFont font(screen);
        GetTextExtentPoint32A(screen, "99999999", 8, &widest);
    }
    ReleaseDC(nullptr, screen);
    for (int slot = 0; slot < SlotCount; ++slot) {
        UnitPoint anchor = SlotTextAnchor(slot);
        RECT at = {anchor.x, anchor.y, anchor.x, anchor.y};
        MapDialogRect(countPage, &at);
        at.top += FigureTopOffset(countPage);   // on the label's baseline
        MapWindowPoints(countPage, MainWindow, reinterpret_cast<POINT*>(&at), 1);
        PixelRect band = Counters.DisplaySlot[slot].Load();
        EXPECT_TRUE(Holds({band.left, band.top, band.right + 1, band.bottom},
                          {at.left - widest.cx, at.top, at.left, at.top + widest.cy}))
            << "slot " << slot;
    }
    // The history tab's controls: none over another, the save button at the
    // right edge too.
    for (const Placed& a : inside) {
        for (const Placed& b : inside) {
            auto shown = [](const Placed& placed) { return (GetWindowLongA(placed.window, GWL_STYLE) & WS_VISIBLE) != 0; };
            RECT both;
            EXPECT_FALSE(a.window < b.window && a.parent == history && b.parent == history && shown(a) && shown(b) &&
                         IntersectRect(&both, &a.rect, &b.rect))
                << a.id << " over " << b.id;
        }
    }
    EXPECT_EQ(CutTexts(MainWindow), std::vector<std::string>{});
    RECT frame, work;
    GetWindowRect(MainWindow, &frame);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_TRUE(Holds(work, frame)) << "the window " << frame.left << "," << frame.top << " " << frame.right << ","
                                    << frame.bottom << " inside the work area " << work.right << "x" << work.bottom;
    return inside;
}

// The work area for the test's length: a screen with a taskbar.
class WorkAreaScope {
public:
    explicit WorkAreaScope(RECT area)
    {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &saved_, 0);
        SystemParametersInfoA(SPI_SETWORKAREA, 0, &area, 0);
    }
    ~WorkAreaScope() { SystemParametersInfoA(SPI_SETWORKAREA, 0, &saved_, 0); }
    WorkAreaScope(const WorkAreaScope&) = delete;
    WorkAreaScope& operator=(const WorkAreaScope&) = delete;

private:
    RECT saved_ = {};
};

void ChangeDpi(UINT dpi, UINT from)
{
    RECT window;
    GetWindowRect(MainWindow, &window);
    RECT proposed = {window.left, window.top, window.left + MulDiv(window.right - window.left, dpi, from),
                     window.top + MulDiv(window.bottom - window.top, dpi, from)};
    MainWindowProc(MainWindow, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&proposed));
}

class DpiChangeTest : public UserDataTest {};

TEST_F(DpiChangeTest, WindowsInsideAreLaidOutAgainAtTheNewScaleAndBack)
{
    LogIn("taro.dat", {});
    ShowWindow(MainWindow, SW_SHOWNORMAL);
    CreateStatisticsWindows(MainWindow);
    StopClock();   // as while a dialog is up: laying out again must not start it
    const UINT start = WindowDpi(MainWindow);
    HWND history = nullptr;
    std::vector<Placed> before = ExpectLaidOutWhole(history);
    // The history tab shown, a day chosen on it (the page's name tells it).
    TabCtrl_SetCurFocus(GetParent(history), 4);
    SendMessageA(history, WM_PAINT, 0, 0);
    SendMessageA(history, WM_KEYDOWN, VK_LEFT, 0);
    char chosen[256] = "", still[256] = "";
    GetWindowTextA(history, chosen, sizeof chosen);

    ChangeDpi(start * 3 / 2, start);
    std::vector<Placed> after = ExpectLaidOutWhole(history);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        // Scaled by fonts made for the new scale, to whole points.
        int width = before[i].rect.right - before[i].rect.left;
        if (width >= 40) {
            EXPECT_NEAR(after[i].rect.right - after[i].rect.left, width * 1.5, width * 0.12) << before[i].text;
        }
    }
    EXPECT_EQ(TabCtrl_GetCurSel(GetParent(history)), 4);
    SendMessageA(history, WM_PAINT, 0, 0);
    GetWindowTextA(history, still, sizeof still);
    EXPECT_STREQ(still, chosen) << "the day chosen stays chosen";
    EXPECT_FALSE(KillTimer(MainWindow, ClockTimerId)) << "the clock started by laying out";
    ICONINFO icon = {};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(SendMessageA(MainWindow, WM_GETICON, ICON_SMALL, 0)), &icon));
    BITMAP bitmap = {};
    GetObjectA(icon.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, MetricForDpi(SM_CXSMICON, start * 3 / 2)) << "the title bar's icon";

    ChangeDpi(start, start * 3 / 2);
    std::vector<Placed> back = ExpectLaidOutWhole(history);
    ASSERT_EQ(back.size(), before.size());
    for (size_t i = 0; i < back.size(); ++i)
        EXPECT_TRUE(EqualRect(&back[i].rect, &before[i].rect)) << before[i].id << " " << before[i].text;
}

TEST_F(DpiChangeTest, TheWindowFitsTheWorkAreaAtEveryScaleOnALaptopsScreen)
{
    // A screen of 1366 x 768 (or the test's, when smaller) less a taskbar of
    // 40 pixels: at 150 % and more the window laid out at the monitor's
    // scale would reach under the taskbar.
    RECT laptop = {0, 0, std::min(GetSystemMetrics(SM_CXSCREEN), 1366),
                   std::min(GetSystemMetrics(SM_CYSCREEN), 768) - 40};
    WorkAreaScope workArea(laptop);
    LogIn("taro.dat", {});
    ShowWindow(MainWindow, SW_SHOWNORMAL);
    CreateStatisticsWindows(MainWindow);
    StopClock();
    HWND history = nullptr;
    ExpectLaidOutWhole(history);
    RECT frame;
    GetWindowRect(MainWindow, &frame);
    EXPECT_LE(std::abs((frame.left - laptop.left) - (laptop.right - frame.right)), 1) << "centred in the work area";
    EXPECT_LE(std::abs((frame.top - laptop.top) - (laptop.bottom - frame.bottom)), 1) << "centred in the work area";

    UINT previous = WindowDpi(MainWindow);
    int lastHeight = 0;
    // 125 % to 200 %, as Windows offers them on larger monitors, and back.
    for (UINT dpi : {120u, 144u, 168u, 192u, 96u}) {
        SCOPED_TRACE(dpi);
        ChangeDpi(dpi, previous);
        previous = dpi;
        ExpectLaidOutWhole(history);
        GetWindowRect(MainWindow, &frame);
        if (dpi != 96) {
            // As large as the work area allows: never smaller than at a lower scale.
            EXPECT_GE(frame.bottom - frame.top, lastHeight);
            lastHeight = frame.bottom - frame.top;
        }
    }
    EXPECT_LE(lastHeight, laptop.bottom - laptop.top);
}

} // namespace
