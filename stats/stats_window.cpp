// The statistics window: a tab control with one count page per tab, inside
// the main window, with the summary panel below it.
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>

#include "chart/history_page.h"
#include "history/day_range_message.h"
#include "keymap/keyboard_page.h"
#include "res/resource.h"
#include "stats/count_font.h"
#include "stats/count_pages.h"
#include "stats/dialog_scale.h"
#include "stats/stats_window.h"
#include "stats/summary_panel.h"
#include "win/main_window_frame.h"
#include "win/screen_scale.h"

namespace {

struct PageTab {
    const char* caption;
    int templateId;
    DLGPROC procedure;
};

const PageTab Tabs[] = {
    {"ｱﾙﾌｧﾍﾞｯﾄ小文字", IDD_LOWERCASE_PAGE, CountPageProcOf(CountPage::Lowercase)},
    {"ｱﾙﾌｧﾍﾞｯﾄ大文字", IDD_UPPERCASE_PAGE, CountPageProcOf(CountPage::Uppercase)},
    {"数字/記号", IDD_DIGIT_SYMBOL_PAGE, CountPageProcOf(CountPage::DigitsSymbols)},
    {"キーボード", IDD_KEYBOARD_PAGE, KeyboardPageProc},
    {"履歴", IDD_HISTORY_PAGE, HistoryPageProc},
};
constexpr int TabCount = 5;
constexpr int KeyboardTab = 3;
constexpr int CountPageCount = 3;   // the first three: the slots of the counts

HWND TabControl = nullptr;
HWND Pages[TabCount] = {};
RECT PageRect = {};
HWND StatisticsWindow = nullptr;
HWND SummaryPanel = nullptr;
UINT MonitorDpi = DefaultDpi;  // the scale of the main window's monitor
UINT LayoutDpi = DefaultDpi;   // the scale the windows are laid out at: the monitor's, or less where that does not fit
// Below this the texts are too small to read: the window may then reach past
// a work area smaller than any Windows offers.
constexpr UINT SmallestLayoutDpi = 72;
constexpr int LayoutAttempts = 4;

HINSTANCE MainInstance()
{
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(MainWindow, GWLP_HINSTANCE));
}

void OnInitDialog(HWND window)
{
    TabControl = GetDlgItem(window, IDC_TABS);
    for (int i = 0; i < TabCount; ++i) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(Tabs[i].caption);
        SendMessageA(TabControl, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    GetClientRect(TabControl, &PageRect);
    SendMessageA(TabControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&PageRect));

    for (int i = 0; i < TabCount; ++i) {
        Pages[i] = CreateDialogAtDpi(MainInstance(), Tabs[i].templateId, TabControl, Tabs[i].procedure, 0,
                                     LayoutDpi);
        if (Pages[i] == nullptr)
            continue;
        // As dialogs on tabs are in the visual style: on the tab's body, and
        // so are their labels.
        EnableThemeDialogTexture(Pages[i], ETDT_ENABLETAB);
        MoveWindow(Pages[i], PageRect.left, PageRect.top, PageRect.right - PageRect.left,
                   PageRect.bottom - PageRect.top, FALSE);
    }
    for (int i = 0; i < CountPageCount; ++i) {
        if (Pages[i] != nullptr) {
            LayOutSlotRects(Pages[i]);
            break;
        }
    }
    if (Pages[0] != nullptr)
        ShowWindow(Pages[0], SW_SHOW);
}

void ShowOnlyPage(int selected)
{
    if (selected < 0 || selected >= TabCount)
        return;
    for (int i = 0; i < TabCount; ++i) {
        if (Pages[i] != nullptr)
            ShowWindow(Pages[i], i == selected ? SW_SHOW : SW_HIDE);
    }
}

void OnNotify(const NMHDR& header)
{
    if (header.code != TCN_SELCHANGE || header.hwndFrom != TabControl)
        return;
    ShowOnlyPage(static_cast<int>(SendMessageA(TabControl, TCM_GETCURSEL, 0, 0)));
}

// The history tab's キーボードで表示: the keyboard tab, showing those days. A
// selection made here sends no TCN_SELCHANGE: the pages change by hand.
void ShowKeysOfDays(WPARAM wParam, LPARAM lParam)
{
    if (Pages[KeyboardTab] == nullptr)
        return;
    SendMessageA(Pages[KeyboardTab], ShowMapRangeMessage, wParam, lParam);
    SendMessageA(TabControl, TCM_SETCURSEL, KeyboardTab, 0);
    ShowOnlyPage(KeyboardTab);
}

INT_PTR CALLBACK StatisticsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(window);
        return TRUE;
    case WM_NOTIFY:
        OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        return FALSE;
    case ShowKeysOfDaysMessage:
        ShowKeysOfDays(wParam, lParam);
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return FALSE;
    }
    default:
        return FALSE;
    }
}

} // namespace

namespace {

// The lowest right and bottom edges of the controls of dialog, in client
// pixels of the main window.
void ExtendToControls(HWND dialog, HWND mainWindow, POINT& extent)
{
    for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
        RECT area;
        GetWindowRect(control, &area);
        MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&area), 2);
        extent.x = area.right > extent.x ? area.right : extent.x;
        extent.y = area.bottom > extent.y ? area.bottom : extent.y;
    }
}

// The templates are laid out in dialog units, whose size follows the dialog
// font: with wider fonts than the templates were drawn for, the tabs and the
// summary panel outgrow 500 x 500 pixels. Keep every control whole, with the
// margin that the templates leave on the left.
SIZE ContentSize(HWND mainWindow, HWND statistics, HWND summary)
{
    POINT extent = {0, 0};
    ExtendToControls(statistics, mainWindow, extent);
    ExtendToControls(summary, mainWindow, extent);
    RECT margin = {7, 7, 0, 0};
    MapDialogRect(summary, &margin);
    return {extent.x + margin.left, extent.y + margin.top};
}

// Creates the statistics window and the summary panel at the monitor's
// scale, or where the main window would not fit the work area at that scale
// (150 % on a screen 768 pixels high), at the largest that fits: whole and
// sharp, a little smaller.
void CreateWindowsAtDpi(HWND mainWindow, UINT dpi, LPARAM summaryParameter, WindowFit fit)
{
    MonitorDpi = dpi;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(mainWindow, GWLP_HINSTANCE));
    const SIZE room = LargestMainClient();
    UINT layoutDpi = dpi;
    SIZE needed = {};
    for (int attempt = 1;; ++attempt) {
        LayoutDpi = layoutDpi;
        SetCountFontDpi(layoutDpi);
        StatisticsWindow =
            CreateDialogAtDpi(instance, IDD_STATISTICS, mainWindow, StatisticsWindowProc, 0, layoutDpi);
        SummaryPanel =
            CreateDialogAtDpi(instance, IDD_SUMMARY_PANEL, mainWindow, SummaryPanelProc, summaryParameter, layoutDpi);
        needed = ContentSize(mainWindow, StatisticsWindow, SummaryPanel);
        if ((needed.cx <= room.cx && needed.cy <= room.cy) || attempt == LayoutAttempts ||
            layoutDpi <= SmallestLayoutDpi || needed.cx <= 0 || needed.cy <= 0)
            break;
        // Sizes follow the fonts, whose points are whole: a scale in
        // proportion to the room, and a step less when that was not enough.
        UINT fitting = static_cast<UINT>(std::min(MulDiv(static_cast<int>(layoutDpi), room.cx, needed.cx),
                                                  MulDiv(static_cast<int>(layoutDpi), room.cy, needed.cy)));
        layoutDpi = std::max(SmallestLayoutDpi, std::min(fitting, layoutDpi - 1));
        DestroyWindow(StatisticsWindow);
        DestroyWindow(SummaryPanel);
        // The clock started (or stood) with the first panel.
        summaryParameter = SummaryPanelLaidOutAgain;
    }
    FitMainWindowToContent(needed.cx, needed.cy, fit);
}

} // namespace

void CreateStatisticsWindows(HWND mainWindow)
{
    CreateWindowsAtDpi(mainWindow, WindowDpi(mainWindow), 0, WindowFit::Centred);
    ShowWindow(StatisticsWindow, SW_SHOW);
    ShowWindow(SummaryPanel, SW_SHOW);
}

void LayOutStatisticsWindowsAgain(HWND mainWindow, UINT dpi)
{
    if (StatisticsWindow == nullptr || GetParent(StatisticsWindow) != mainWindow || dpi == MonitorDpi)
        return;
    // Made anew from their templates at the new scale, as they would be
    // made at a start there: the pages keep what they show, the tabs their
    // choice, the clock runs or stands as it did.
    int selected = static_cast<int>(SendMessageA(TabControl, TCM_GETCURSEL, 0, 0));
    HWND focus = GetFocus();
    bool hadFocus = focus != nullptr && (IsChild(StatisticsWindow, focus) || IsChild(SummaryPanel, focus));
    DestroyWindow(StatisticsWindow);
    DestroyWindow(SummaryPanel);
    CreateWindowsAtDpi(mainWindow, dpi, SummaryPanelLaidOutAgain, WindowFit::InPlace);
    if (selected > 0 && selected < TabCount) {
        SendMessageA(TabControl, TCM_SETCURSEL, selected, 0);
        ShowOnlyPage(selected);
    }
    ShowWindow(StatisticsWindow, SW_SHOW);
    ShowWindow(SummaryPanel, SW_SHOW);
    if (hadFocus)
        SetFocus(TabControl);
}
