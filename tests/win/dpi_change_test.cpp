// The shown main window told by Windows that it is now on a monitor at 150 %
// (WM_DPICHANGED), then back: everything inside laid out again at that scale,
// whole, with the repaint bands over their figures, and as before once back.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "clock/uptime_clock_tick.h"
#include "res/resource.h"
#include "stats/count_font.h"
#include "stats/layout.h"
#include "stats/stats_window.h"
#include "user_data_fixture.h"
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
        MapWindowPoints(countPage, MainWindow, reinterpret_cast<POINT*>(&at), 1);
        PixelRect band = Counters.DisplaySlot[slot].Load();
        EXPECT_TRUE(Holds({band.left, band.top, band.right + 1, band.bottom},
                          {at.left - widest.cx, at.top, at.left, at.top + widest.cy}))
            << "slot " << slot;
    }
    return inside;
}

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

} // namespace
