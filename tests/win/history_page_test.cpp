// The history tab inside a real statistics window: the arrow keys choose
// days and the page names them, its timer stops while it is hidden, and
// キーボードで表示 hands the days to the keyboard tab.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "chart/chart_span.h"
#include "history/history_file.h"
#include "history/user_history.h"
#include "keymap/page_canvas.h"
#include "res/resource.h"
#include "stats/stats_window.h"
#include "user_data_fixture.h"

namespace {

using namespace wintest;

std::string DayLine(const LocalDate& date, int seconds, int e)
{
    HistoryCounts counts;
    counts.seconds = seconds;
    counts.keys[4] = e;
    std::string line;
    AppendHistoryLine(line, date, counts);
    return line;
}

std::string NameOf(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The page that holds a control, among the main window's descendants.
HWND PageWith(int control)
{
    struct Search {
        int control;
        HWND page = nullptr;
    } search{control};
    EnumChildWindows(
        MainWindow,
        [](HWND child, LPARAM context) {
            auto* wanted = reinterpret_cast<Search*>(context);
            if (GetDlgCtrlID(child) != wanted->control)
                return TRUE;
            wanted->page = GetParent(child);
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.page;
}

bool Shown(HWND window) { return (GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0; }

class HistoryPageTest : public UserDataTest {};

TEST_F(HistoryPageTest, ArrowKeysChooseDaysThatTheKeyboardTabThenShows)
{
    const LocalDate today = TodaysDate();
    const LocalDate yesterday = AddDays(today, -1);
    WriteBytes(DataFile("taro.history.csv"), std::string(HistoryHeader) + "\r\n" +
                                                 DayLine(AddDays(today, -2), 1200, 40) +
                                                 DayLine(yesterday, 5400, 1234));
    LogIn("taro.dat", {});
    CreateStatisticsWindows(MainWindow);
    HWND history = PageWith(IDC_CHART_SPAN);
    HWND keyboard = PageWith(IDC_MAP_PERIOD);
    ASSERT_NE(history, nullptr);
    ASSERT_NE(keyboard, nullptr);
    HWND tabs = GetParent(history);

    // The first paint draws the chart; the page's name is the line under it.
    SendMessageA(history, WM_PAINT, 0, 0);
    EXPECT_NE(NameOf(history).find(FormatJapaneseRange({AddDays(today, -29), today})), std::string::npos)
        << NameOf(history);
    EXPECT_EQ(SendMessageA(history, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);

    struct Case {
        WPARAM key;
        std::string starts;   // the page's name
    } cases[] = {
        {VK_UP, FormatJapaneseDate(today) + "　0打鍵"},   // nothing chosen yet: today
        {VK_UP, FormatJapaneseDate(yesterday) + "　1,234打鍵　1:30　822打鍵/時　e 1,234"},
        {VK_DOWN, FormatJapaneseDate(today)},
        {VK_DOWN, FormatJapaneseDate(today)},   // never past today
        {VK_LEFT, FormatJapaneseDate(yesterday)},   // a bar a day over 30 days
    };
    for (const Case& c : cases) {
        SendMessageA(history, WM_KEYDOWN, c.key, 0);
        EXPECT_EQ(NameOf(history).rfind(c.starts, 0), 0u) << NameOf(history);
    }

    // Hidden (another tab is shown), the page's first tick stops its timer.
    EXPECT_FALSE(Shown(history));
    SendMessageA(history, WM_TIMER, PageRefreshTimer, 0);
    EXPECT_FALSE(KillTimer(history, PageRefreshTimer)) << "no timer left running";

    SendMessageA(history, WM_COMMAND, MAKEWPARAM(IDC_CHART_SHOW_KEYS, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(history, IDC_CHART_SHOW_KEYS)));
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 3);
    EXPECT_TRUE(Shown(keyboard));
    EXPECT_FALSE(Shown(history));
    char period[64] = "";
    GetDlgItemTextA(keyboard, IDC_MAP_PERIOD, period, sizeof period);
    EXPECT_STREQ(period, "指定した期間");
}

} // namespace
