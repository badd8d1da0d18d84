// The shown main window moved to a monitor at 150 % and back, as Windows
// tells it (WM_DPICHANGED with the scale and the size it proposes): the tabs,
// the pages, the summary panel and the drawn tabs laid out again at the new
// scale, whole and apart, with the bands that the polling thread and the
// clock repaint over their figures, and the same layout as before once back.
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
#include "user_data_fixture.h"
#include "win/screen_scale.h"

namespace {

using namespace wintest;

// A window inside the main window, where it lies in the main window's client
// pixels.
struct Placed {
    HWND window;
    HWND parent;
    std::string className;
    int id;
    std::string text;
    RECT rect;
};

std::vector<Placed> Inside(HWND mainWindow)
{
    std::vector<Placed> found;
    auto collect = [](HWND window, LPARAM context) -> BOOL {
        auto& out = *reinterpret_cast<std::vector<Placed>*>(context);
        char className[64] = "";
        char text[128] = "";
        GetClassNameA(window, className, sizeof className);
        GetWindowTextA(window, text, sizeof text);
        RECT rect;
        GetWindowRect(window, &rect);
        out.push_back({window, GetParent(window), className, GetDlgCtrlID(window), text, rect});
        return TRUE;
    };
    EnumChildWindows(mainWindow, collect, reinterpret_cast<LPARAM>(&found));
    for (Placed& placed : found)
        MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&placed.rect), 2);
    return found;
}

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

bool Holds(const RECT& outer, const RECT& inner)
{
    return outer.left <= inner.left && inner.right <= outer.right && outer.top <= inner.top &&
           inner.bottom <= outer.bottom;
}

// By more than the pixel that two controls side by side in a template may
// share when their dialog units are rounded.
bool Overlap(const RECT& a, const RECT& b)
{
    return a.left < b.right - 1 && b.left < a.right - 1 && a.top < b.bottom - 1 && b.top < a.bottom - 1;
}

std::string Describe(const Placed& placed)
{
    return placed.className + " " + std::to_string(placed.id) + " \"" + placed.text + "\" (" +
           std::to_string(placed.rect.left) + "," + std::to_string(placed.rect.top) + ")-(" +
           std::to_string(placed.rect.right) + "," + std::to_string(placed.rect.bottom) + ")";
}

SIZE WidestFigure()
{
    HDC screen = GetDC(nullptr);
    SIZE size = {};
    {
        ScopedCountFont font(screen);
        GetTextExtentPoint32A(screen, "99999999", 8, &size);
    }
    ReleaseDC(nullptr, screen);
    return size;
}

void ChangeDpi(HWND mainWindow, UINT dpi, UINT from)
{
    RECT window;
    GetWindowRect(mainWindow, &window);
    RECT proposed = {window.left, window.top, window.left + MulDiv(Width(window), dpi, from),
                     window.top + MulDiv(Height(window), dpi, from)};
    MainWindowProc(mainWindow, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&proposed));
}

HWND PageWith(const std::vector<Placed>& inside, int control)
{
    for (const Placed& placed : inside) {
        if (placed.id == control)
            return placed.parent;
    }
    return nullptr;
}

const Placed* Find(const std::vector<Placed>& inside, HWND window)
{
    for (const Placed& placed : inside) {
        if (placed.window == window)
            return &placed;
    }
    return nullptr;
}

// Every window whole in the main window's client area and on the window it
// belongs to (a control on its page, a page on the tabs), the summary panel's labels in
// their group boxes, the controls of a drawn tab's row apart, and each
// figure's band over the figure.
void ExpectLaidOutWhole(HWND mainWindow, const std::vector<Placed>& inside)
{
    RECT client;
    GetClientRect(mainWindow, &client);
    HWND countPage = nullptr;
    for (const Placed& placed : inside) {
        // The two dialogs themselves are as large as their templates; the
        // main window holds what is on them.
        if (placed.parent != mainWindow) {
            EXPECT_TRUE(Holds(client, placed.rect)) << Describe(placed) << " in the client area";
        }
        if (const Placed* parent = Find(inside, placed.parent)) {
            EXPECT_TRUE(Holds(parent->rect, placed.rect)) << Describe(placed) << " on " << Describe(*parent);
        }
        if (placed.text == "a:")
            countPage = placed.parent;
        if (placed.className == "Static" && Find(inside, placed.parent) == nullptr) {
            // On the summary panel: inside one of its group boxes.
            bool boxed = std::any_of(inside.begin(), inside.end(), [&placed](const Placed& box) {
                return box.parent == placed.parent && box.className == "Button" && Holds(box.rect, placed.rect);
            });
            EXPECT_TRUE(boxed) << Describe(placed);
        }
    }
    for (const std::vector<int>& row : {std::vector<int>{IDC_MAP_PERIOD, IDC_MAP_LOWERCASE, IDC_MAP_UPPERCASE,
                                                         IDC_MAP_BOTH, IDC_MAP_SAVE},
                                        std::vector<int>{IDC_CHART_SPAN, IDC_CHART_SHOW_KEYS, IDC_CHART_SAVE}}) {
        for (const Placed& a : inside) {
            for (const Placed& b : inside) {
                bool pair = a.window < b.window && std::find(row.begin(), row.end(), a.id) != row.end() &&
                            std::find(row.begin(), row.end(), b.id) != row.end();
                if (pair) {
                    EXPECT_FALSE(Overlap(a.rect, b.rect)) << Describe(a) << " over " << Describe(b);
                }
            }
        }
    }

    // Where a count page draws each figure, its widest, and its band.
    ASSERT_NE(countPage, nullptr);
    SIZE widest = WidestFigure();
    for (int slot = 0; slot < SlotCount; ++slot) {
        UnitPoint anchor = SlotTextAnchor(slot);
        RECT at = {anchor.x, anchor.y, anchor.x, anchor.y};
        MapDialogRect(countPage, &at);
        MapWindowPoints(countPage, mainWindow, reinterpret_cast<POINT*>(&at), 1);
        RECT figure = {at.left - widest.cx, at.top, at.left, at.top + widest.cy};
        PixelRect band = Counters.DisplaySlot[slot].Load();
        EXPECT_TRUE(Holds({band.left, band.top, band.right + 1, band.bottom}, figure)) << "slot " << slot;
    }
    PixelRect total = Counters.TotalRect.Load();
    EXPECT_GE(total.right - total.left, widest.cx);
    EXPECT_GE(total.bottom - total.top, widest.cy);
}

class DpiChangeTest : public UserDataTest {};

TEST_F(DpiChangeTest, WindowsInsideAreLaidOutAgainAtTheNewScaleAndBack)
{
    LogIn("taro.dat", {});
    ShowWindow(MainWindow, SW_SHOWNORMAL);
    CreateStatisticsWindows(MainWindow);
    StopClock();   // as while a dialog is up: laying out again must not start it
    const UINT start = WindowDpi(MainWindow);
    const UINT larger = start * 3 / 2;
    std::vector<Placed> before = Inside(MainWindow);
    ExpectLaidOutWhole(MainWindow, before);
    const int figureHeight = WidestFigure().cy;

    // The history tab shown, a day chosen on it.
    HWND tabs = nullptr;
    for (const Placed& placed : before)
        tabs = placed.id == IDC_TABS ? placed.window : tabs;
    ASSERT_NE(tabs, nullptr);
    TabCtrl_SetCurFocus(tabs, 4);
    HWND history = PageWith(before, IDC_CHART_SPAN);
    SendMessageA(history, WM_PAINT, 0, 0);
    SendMessageA(history, WM_KEYDOWN, VK_LEFT, 0);
    char chosen[256] = "";
    GetWindowTextA(history, chosen, sizeof chosen);

    ChangeDpi(MainWindow, larger, start);
    std::vector<Placed> after = Inside(MainWindow);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        SCOPED_TRACE(Describe(before[i]) + " -> " + Describe(after[i]));
        EXPECT_EQ(after[i].className, before[i].className);
        EXPECT_EQ(after[i].id, before[i].id);
        // Scaled by the fonts made for the new scale, to whole points.
        if (Width(before[i].rect) >= 40) {
            EXPECT_NEAR(Width(after[i].rect), Width(before[i].rect) * 1.5, Width(before[i].rect) * 0.12);
            EXPECT_NEAR(Height(after[i].rect), Height(before[i].rect) * 1.5, Height(before[i].rect) * 0.12 + 2);
        }
    }
    ExpectLaidOutWhole(MainWindow, after);
    EXPECT_NEAR(WidestFigure().cy, figureHeight * 1.5, 2) << "the count font at the new scale";

    // What was shown and chosen stays; the clock stands as it stood.
    HWND shownHistory = PageWith(after, IDC_CHART_SPAN);
    EXPECT_EQ(TabCtrl_GetCurSel(GetParent(shownHistory)), 4);
    EXPECT_TRUE(IsWindowVisible(shownHistory));
    SendMessageA(shownHistory, WM_PAINT, 0, 0);
    char still[256] = "";
    GetWindowTextA(shownHistory, still, sizeof still);
    EXPECT_STREQ(still, chosen);
    EXPECT_FALSE(KillTimer(MainWindow, ClockTimerId)) << "the clock started by laying out";

    // The title bar's icon of the size drawn at the new scale.
    ICONINFO icon = {};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(SendMessageA(MainWindow, WM_GETICON, ICON_SMALL, 0)), &icon));
    BITMAP bitmap = {};
    GetObjectA(icon.hbmColor, sizeof bitmap, &bitmap);
    DeleteObject(icon.hbmColor);
    DeleteObject(icon.hbmMask);
    EXPECT_EQ(bitmap.bmWidth, MetricForDpi(SM_CXSMICON, larger));

    ChangeDpi(MainWindow, start, larger);
    std::vector<Placed> back = Inside(MainWindow);
    ASSERT_EQ(back.size(), before.size());
    for (size_t i = 0; i < back.size(); ++i)
        EXPECT_TRUE(EqualRect(&back[i].rect, &before[i].rect)) << Describe(back[i]) << " was " << Describe(before[i]);
}

} // namespace
