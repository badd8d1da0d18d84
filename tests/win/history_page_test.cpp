// The history tab inside a real statistics window: the arrow keys choose
// days and the page names them (with their typing speed and busiest hour),
// the strokes of the data file's keys or of every key, its timer stops while
// it is hidden, and キーボードで表示 hands the days to the keyboard tab; the
// keys and the list chosen there and on the keyboard tab stay chosen when the
// pages are made anew at another scale.
#include <windows.h>
#include <commctrl.h>

#include "app/main_window.h"
#include "chart/chart_span.h"
#include "history/user_history.h"
#include "paint/page_canvas.h"
#include "res/resource.h"
#include "stats/stats_window.h"
#include "user_data_fixture.h"

namespace {

using namespace wintest;

std::string NameOf(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

class HistoryPageTest : public UserDataTest {};

TEST_F(HistoryPageTest, ArrowKeysChooseDaysThatTheKeyboardTabThenShows)
{
    const LocalDate today = TodaysDate();
    const LocalDate yesterday = AddDays(today, -1);
    HistoryCounts counts;
    counts.seconds = 5400;
    counts.keys[4] = 1234;   // e
    counts.keys[KeyIndexOf("space")] = 300;
    counts.keys[KeyIndexOf("backspace")] = 31;
    counts.activeMinutes = 15;
    counts.bestMinute = 120;
    counts.hours[10] = 1565;   // every stroke: 104.3 a minute
    const std::string busiest = std::string("いちばん打つのは ") + WeekdayName(WeekdayIndex(yesterday)) + "曜 10 時台";
    std::string lines = std::string(HistoryHeader) + "\r\n";
    AppendHistoryLine(lines, yesterday, counts);
    WriteBytes(DataFile("taro.history.csv"), lines);
    LogIn("taro.dat", {});
    CreateStatisticsWindows(MainWindow);
    HWND tabs = nullptr;
    HWND history = nullptr;
    HWND map = nullptr;
    auto findPages = [&] {
        tabs = nullptr;
        for (HWND child = GetWindow(MainWindow, GW_CHILD); child != nullptr && tabs == nullptr;
             child = GetWindow(child, GW_HWNDNEXT))
            tabs = GetDlgItem(child, IDC_TABS);
        for (HWND page = GetWindow(tabs, GW_CHILD); page != nullptr; page = GetWindow(page, GW_HWNDNEXT)) {
            history = GetDlgItem(page, IDC_CHART_SPAN) != nullptr ? page : history;
            map = GetDlgItem(page, IDC_MAP_PERIOD) != nullptr ? page : map;
        }
    };
    findPages();
    ASSERT_NE(history, nullptr);
    ASSERT_NE(map, nullptr);

    // The first paint draws the chart; the page's name is the line under it.
    SendMessageA(history, WM_PAINT, 0, 0);
    EXPECT_EQ(NameOf(history).rfind(FormatJapaneseRange({AddDays(today, -29), today}), 0), 0u) << NameOf(history);
    EXPECT_EQ(SendMessageA(history, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);
    struct Case {
        WPARAM key;
        std::string starts;   // the page's name
    } cases[] = {
        {VK_UP, FormatJapaneseDate(today) + "　0 打鍵"},   // nothing chosen yet: today
        {VK_UP, FormatJapaneseDate(yesterday) + "　1,234 打鍵　起動時間 1 時間 30 分　822 打/h　打鍵速度 104 打/分（最高 120）"
                                                 "　訂正率 2.0%　よく打ったキー: e 1,234　" + busiest},
        {VK_DOWN, FormatJapaneseDate(today)},
        {VK_DOWN, FormatJapaneseDate(today)},       // never past today
        {VK_LEFT, FormatJapaneseDate(yesterday)},   // the bar before: a bar a day
    };
    for (const Case& c : cases) {
        SendMessageA(history, WM_KEYDOWN, c.key, 0);
        EXPECT_EQ(NameOf(history).rfind(c.starts, 0), 0u) << NameOf(history);
    }
    // Every key counted: the day's strokes, and the keys struck most, of every key.
    SendDlgItemMessageA(history, IDC_CHART_KEYS, CB_SETCURSEL, 1, 0);
    SendMessageA(history, WM_COMMAND, MAKEWPARAM(IDC_CHART_KEYS, CBN_SELCHANGE), 0);
    EXPECT_EQ(NameOf(history), FormatJapaneseDate(yesterday) +
                                   "　1,565 打鍵　起動時間 1 時間 30 分　1,043 打/h　打鍵速度 104 打/分（最高 120）　"
                                   "訂正率 2.0%　よく打ったキー: e 1,234、スペース 300、Backspace 31　" + busiest);
    // The shortcuts ranked beside the bars, and again the programs.
    char listed[32] = "";
    for (int choice : {1, 0}) {
        SendDlgItemMessageA(history, IDC_CHART_LIST, CB_SETCURSEL, choice, 0);
        SendMessageA(history, WM_COMMAND, MAKEWPARAM(IDC_CHART_LIST, CBN_SELCHANGE), 0);
        GetDlgItemTextA(history, IDC_CHART_LIST, listed, sizeof listed);
        EXPECT_STREQ(listed, choice == 1 ? "ショートカット" : "アプリ");
    }
    SendDlgItemMessageA(history, IDC_CHART_LIST, CB_SETCURSEL, 1, 0);
    SendMessageA(history, WM_COMMAND, MAKEWPARAM(IDC_CHART_LIST, CBN_SELCHANGE), 0);

    // On a page too narrow for the first row, the list choice goes to the
    // second, under the span, and comes back.
    auto placeOf = [history](int id) {
        RECT rect;
        GetWindowRect(GetDlgItem(history, id), &rect);
        MapWindowPoints(nullptr, history, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    RECT page;
    GetClientRect(history, &page);
    const RECT firstRow = placeOf(IDC_CHART_LIST);
    for (int width : {static_cast<int>(page.right) * 4 / 5, static_cast<int>(page.right)}) {
        SendMessageA(history, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, page.bottom));
        RECT list = placeOf(IDC_CHART_LIST), span = placeOf(IDC_CHART_SPAN), save = placeOf(IDC_CHART_SAVE), both;
        EXPECT_FALSE(IntersectRect(&both, &list, &save)) << width;
        EXPECT_EQ(list.top >= span.bottom, width < page.right) << width;
        EXPECT_EQ(list.left, width < page.right ? span.left : firstRow.left) << width;
    }

    // Hidden (another tab is shown), the page's first tick stops its timer.
    SendMessageA(history, WM_TIMER, PageRefreshTimer, 0);
    EXPECT_FALSE(KillTimer(history, PageRefreshTimer)) << "no timer left running";

    SendMessageA(history, WM_COMMAND, MAKEWPARAM(IDC_CHART_SHOW_KEYS, BN_CLICKED), 0);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 3);
    EXPECT_NE(GetWindowLongPtrA(map, GWL_STYLE) & WS_VISIBLE, 0);
    char period[64] = "";
    GetDlgItemTextA(map, IDC_MAP_PERIOD, period, sizeof period);
    EXPECT_STREQ(period, "指定した期間");

    // Another user's days start with nothing chosen; the same user's keep it.
    SendMessageA(history, WM_KEYDOWN, VK_LEFT, 0);
    const std::string chosen = NameOf(history);
    // Hidden, a tick stops the timer, and the next paint reads the days.
    auto repaint = [history] {
        SendMessageA(history, WM_TIMER, PageRefreshTimer, 0);
        SendMessageA(history, WM_PAINT, 0, 0);
    };
    LogIn("taro.dat", {});
    repaint();
    EXPECT_EQ(NameOf(history), chosen);
    LogIn("jiro.dat", {});
    repaint();
    EXPECT_EQ(NameOf(history).rfind(FormatJapaneseRange({AddDays(today, -29), today}), 0), 0u) << NameOf(history);

    // 全キー on the keyboard tab, and every key on this one, stay chosen at 150 %.
    SendDlgItemMessageA(map, IDC_MAP_ALL_KEYS, BM_CLICK, 0, 0);
    for (UINT dpi : {96, 144}) {
        RECT window;
        GetWindowRect(MainWindow, &window);
        MainWindowProc(MainWindow, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&window));
        findPages();
        for (int mode : {IDC_MAP_LOWERCASE, IDC_MAP_UPPERCASE, IDC_MAP_BOTH, IDC_MAP_ALL_KEYS})
            EXPECT_EQ(IsDlgButtonChecked(map, mode), mode == IDC_MAP_ALL_KEYS ? BST_CHECKED : BST_UNCHECKED);
        EXPECT_EQ(SendDlgItemMessageA(history, IDC_CHART_KEYS, CB_GETCURSEL, 0, 0), 1);
        EXPECT_EQ(SendDlgItemMessageA(history, IDC_CHART_LIST, CB_GETCURSEL, 0, 0), 1);
    }
}

} // namespace
