// The history tab inside a real statistics window: the arrow keys choose
// days and the page names them, its timer stops while it is hidden, and
// キーボードで表示 hands the days to the keyboard tab.
#include <windows.h>
#include <commctrl.h>

#include "chart/chart_span.h"
#include "history/user_history.h"
#include "paint/page_canvas.h"
#include "res/resource.h"
#include "app/main_window.h"
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

// The statistics window's tab control, and on it the history and keyboard pages.
struct Pages {
    HWND tabs = nullptr, history = nullptr, map = nullptr;
};

Pages FindPages()
{
    Pages found;
    for (HWND child = GetWindow(MainWindow, GW_CHILD); child != nullptr && found.tabs == nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        found.tabs = GetDlgItem(child, IDC_TABS);
    for (HWND page = GetWindow(found.tabs, GW_CHILD); page != nullptr; page = GetWindow(page, GW_HWNDNEXT)) {
        found.history = GetDlgItem(page, IDC_CHART_SPAN) != nullptr ? page : found.history;
        found.map = GetDlgItem(page, IDC_MAP_PERIOD) != nullptr ? page : found.map;
    }
    return found;
}

TEST_F(HistoryPageTest, ArrowKeysChooseDaysThatTheKeyboardTabThenShows)
{
    const LocalDate today = TodaysDate();
    const LocalDate yesterday = AddDays(today, -1);
    HistoryCounts counts;
    counts.seconds = 5400;
    counts.keys[4] = 1234;   // e
    std::string lines = std::string(HistoryHeader) + "\r\n";
    AppendHistoryLine(lines, yesterday, counts);
    WriteBytes(DataFile("taro.history.csv"), lines);
    LogIn("taro.dat", {});
    CreateStatisticsWindows(MainWindow);
    auto [tabs, history, map] = FindPages();
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
        {VK_UP, FormatJapaneseDate(today) + "　0打鍵"},   // nothing chosen yet: today
        {VK_UP, FormatJapaneseDate(yesterday) + "　1,234打鍵　1:30　822打鍵/時　訂正率 0.0%　e 1,234"},
        {VK_DOWN, FormatJapaneseDate(today)},
        {VK_DOWN, FormatJapaneseDate(today)},       // never past today
        {VK_LEFT, FormatJapaneseDate(yesterday)},   // the bar before: a bar a day
    };
    for (const Case& c : cases) {
        SendMessageA(history, WM_KEYDOWN, c.key, 0);
        EXPECT_EQ(NameOf(history).rfind(c.starts, 0), 0u) << NameOf(history);
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
}

// The history tab counts the strokes of the data file's keys or of every
// key; the keyboard tab shows every stroke of each key with 全キー. Both
// choices stay when the window is laid out again at another scale.
TEST_F(HistoryPageTest, TheKeysChosenAreCountedAndStayChosen)
{
    const LocalDate yesterday = AddDays(TodaysDate(), -1);
    HistoryCounts counts;
    counts.seconds = 3600;
    counts.keys[KeyIndexOf("e")] = 100;
    counts.keys[KeyIndexOf("space")] = 300;
    counts.keys[KeyIndexOf("backspace")] = 30;
    std::string lines = std::string(HistoryHeader) + "\r\n";
    AppendHistoryLine(lines, yesterday, counts);
    WriteBytes(DataFile("taro.history.csv"), lines);
    LogIn("taro.dat", {});
    CreateStatisticsWindows(MainWindow);
    Pages pages = FindPages();
    ASSERT_NE(pages.history, nullptr);
    ASSERT_NE(pages.map, nullptr);

    HWND keys = GetDlgItem(pages.history, IDC_CHART_KEYS);
    ASSERT_EQ(SendMessageA(keys, CB_GETCOUNT, 0, 0), 2);
    char caption[32] = "";
    SendMessageA(keys, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(caption));
    EXPECT_STREQ(caption, "全キー");
    SendMessageA(pages.history, WM_PAINT, 0, 0);
    SendMessageA(pages.history, WM_KEYDOWN, VK_UP, 0);
    SendMessageA(pages.history, WM_KEYDOWN, VK_UP, 0);
    struct Case {
        int choice;
        std::string figures;   // of yesterday, after its date
    } cases[] = {
        {0, "　100打鍵　1:00　100打鍵/時　訂正率 7.0%　e 100"},
        {1, "　430打鍵　1:00　430打鍵/時　訂正率 7.0%　スペース 300  e 100  Backspace 30"},
    };
    for (const Case& c : cases) {
        SendMessageA(keys, CB_SETCURSEL, c.choice, 0);
        SendMessageA(pages.history, WM_COMMAND, MAKEWPARAM(IDC_CHART_KEYS, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(keys));
        EXPECT_EQ(NameOf(pages.history), FormatJapaneseDate(yesterday) + c.figures);
    }

    SendDlgItemMessageA(pages.map, IDC_MAP_ALL_KEYS, BM_CLICK, 0, 0);
    const int modes[] = {IDC_MAP_LOWERCASE, IDC_MAP_UPPERCASE, IDC_MAP_BOTH, IDC_MAP_ALL_KEYS};
    for (int again = 0; again < 2; ++again) {
        for (int mode : modes)
            EXPECT_EQ(IsDlgButtonChecked(pages.map, mode), mode == IDC_MAP_ALL_KEYS ? BST_CHECKED : BST_UNCHECKED);
        EXPECT_EQ(SendDlgItemMessageA(pages.history, IDC_CHART_KEYS, CB_GETCURSEL, 0, 0), 1);
        // At 150 %, the pages made anew.
        RECT window;
        GetWindowRect(MainWindow, &window);
        MainWindowProc(MainWindow, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&window));
        pages = FindPages();
        ASSERT_NE(pages.map, nullptr);
    }
}

} // namespace
