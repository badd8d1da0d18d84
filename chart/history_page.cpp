// The history tab: the logged-in user's days as a year's calendar and a
// chart of the chosen span (chart_layout.h), counting the strokes of the data
// file's keys or of every key as chosen, with a selection made by a
// click, a drag across the bars or the arrow keys and described under the
// chart, a button that shows the selected days on the keyboard tab, a list
// that chooses whether the programs or the shortcuts are ranked beside the
// bars, and a button that saves the picture as a PNG.
//
// The chart is drawn into the page's canvas and the paint only copies it
// (page_canvas.h). While the page is seen a timer looks each second whether
// the history has moved (a save, a login, a new day: HistoryVersion), which
// reads the days again, and every ten seconds puts in the running day's
// counts; nothing runs while the page is hidden. With a shared folder set the
// days are every PC's unless この PC is chosen, read again when the other
// PCs' files have been (OtherPcsVersion).
#include "chart/history_page.h"

#include <windowsx.h>

#include <optional>
#include <string>
#include <vector>

#include "chart/chart_png.h"
#include "history/day_range_message.h"
#include "history/user_history.h"
#include "paint/page_canvas.h"
#include "paint/scoped_paint.h"
#include "res/resource.h"
#include "store/picture_path.h"
#include "store/user_days.h"
#include "store/user_data.h"
#include "store/user_record.h"
#include "sync/pc_choice.h"
#include "sync/pc_sharing.h"

namespace {

constexpr UINT RefreshPeriodMs = 1000;
constexpr int TicksPerRunningDay = 10;
constexpr char NoHistoryText[] = "日ごとの記録ファイルを読めないため、表示できません。";

struct PageState {
    ChartSpan span = DefaultChartSpan;
    ChartKeys keys = DefaultChartKeys;
    ChartList list = DefaultChartList;
    std::optional<DateRange> selection;
    DaySeries series;
    bool seriesRead = false;
    bool historyOff = false;
    unsigned version = 0;           // HistoryVersion() when the days were read
    bool thisPcOnly = false;        // この PC chosen
    bool allPcs = false;            // the days are every PC's
    unsigned othersVersion = 0;     // OtherPcsVersion() when they were read
    std::string userFile;           // whose days they are: another user starts unselected
    HistoryCounts runningDay;       // today's counts in series
    int ticks = 0;
    PageCanvas canvas;
    ChartLayout layout;             // what the canvas shows, in its pixels: for hit tests
    std::vector<RankedApp> ranked;  // the described days' programs or shortcuts ranked, for these days and figures
    std::optional<DateRange> rankedOf;
    PaintColours colours;           // what it is drawn in
    std::string name;               // the page's window text
    bool dragging = false;
    PixelPoint dragFrom;
} Page;

// Reads the days again if the history has moved, and with withRunningDay
// puts in today's counts as they stand. True when the chart would change.
bool RefreshDays(bool withRunningDay)
{
    HistoryCounts now = AllTimeCounts();
    // Read before the days: a change while they are read is read again.
    unsigned version = HistoryVersion();
    const bool allPcs = AllPcsShown(Page.thisPcOnly);
    unsigned othersVersion = allPcs ? OtherPcsVersion() : 0;
    LocalDate today = TodaysDate();
    bool changed = false;
    if (!Page.seriesRead || version != Page.version || !(today == Page.series.today) || allPcs != Page.allPcs ||
        othersVersion != Page.othersVersion) {
        std::optional<std::vector<HistoryDay>> days = CurrentHistoryDays(now);
        Page.historyOff = !days;
        Page.allPcs = allPcs;
        Page.othersVersion = othersVersion;
        if (days && allPcs) {
            WithOtherPcsDaysToAdd([&](const DaysToAdd* more) { Page.series = MakeDaySeries(std::move(*days), today, more); });
        } else {
            Page.series = MakeDaySeries(days ? std::move(*days) : std::vector<HistoryDay>{}, today);
        }
        Page.runningDay = HistoryCounts{};
        Page.seriesRead = true;
        Page.version = version;
        if (Page.userFile != CurrentUserFile) {
            Page.userFile = CurrentUserFile;
            Page.selection.reset();
        }
        changed = true;
    }
    if (withRunningDay && !Page.historyOff) {
        std::optional<HistoryPeriods> periods = CurrentHistoryPeriods(now);
        if (periods && allPcs)
            periods = WithOtherPcsPeriods(*periods, today);
        if (periods && !(periods->today == Page.runningDay)) {
            SetRunningDay(Page.series, periods->today);
            Page.runningDay = periods->today;
            changed = true;
        }
    }
    // The list is ranked again only when the days or their counts moved.
    if (changed)
        Page.rankedOf.reset();
    return changed;
}

ChartPicture PictureShown()
{
    ChartPicture picture;
    picture.series = &Page.series;
    picture.view.span = Page.span;
    picture.view.keys = Page.keys;
    picture.view.selection = Page.selection;
    picture.view.list = Page.list;
    const DateRange described = Page.selection ? *Page.selection : SpanDates(Page.series, Page.span);
    if (Page.rankedOf != described) {
        std::optional<AppCounts> counts =
            Page.list == ChartList::Shortcuts ? CurrentShortcutStrokes(described) : CurrentProgramStrokes(described);
        AppCounts sums = counts ? std::move(*counts) : AppCounts{};
        if (Page.allPcs)
            sums = Page.list == ChartList::Shortcuts ? WithOtherPcsShortcuts(std::move(sums), described)
                                                     : WithOtherPcsApps(std::move(sums), described);
        Page.ranked = RankApps(sums);
        Page.rankedOf = described;
    }
    picture.view.ranked = &Page.ranked;
    picture.title = Page.historyOff ? NoHistoryText : nullptr;
    return picture;
}

// Draws the chart into the canvas; with show, puts it on the screen too.
void DrawCanvas(HWND page, bool show)
{
    if (!ReadyPageCanvas(page, Page.canvas))
        return;
    const RECT& area = Page.canvas.area;
    RECT drawn = {0, 0, area.right - area.left, area.bottom - area.top};
    ChartPicture picture = PictureShown();
    picture.colours = ScreenColours();
    Page.layout = DrawHistoryChart(Page.canvas.dc, drawn, picture);
    Page.colours = picture.colours;
    if (show)
        InvalidateRect(page, &area, FALSE);
    // The selection's lines are the page's name too: a screen reader tells
    // it when the page has the focus.
    std::string name = Page.layout.selectionDate.text + "　" + Page.layout.selectionFigures.text + "　" +
                       Page.layout.selectionKeys.text;
    if (!Page.layout.busiestHour.text.empty())
        name += "　" + Page.layout.busiestHour.text;
    if (name != Page.name) {
        Page.name = name;
        SetWindowTextA(page, name.c_str());
    }
}

// At WM_SIZE, and when the PCs' list comes or goes: the list choice stays in
// the first row, after キーボードで表示, where it leaves the save button at the
// right edge its room; on a page too narrow for that (fonts that a scale
// rounds wider) it goes to the second row, after the PCs' list's place or in
// it when that is hidden, and the chart starts below it.
void FitHistoryPage(HWND page, int width, int height)
{
    HWND list = GetDlgItem(page, IDC_CHART_LIST);
    HWND pcs = GetDlgItem(page, IDC_CHART_PCS);
    auto placeOf = [page](HWND control) {
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    RECT units = {4, 0, 84, 0};   // the gap between controls; the second row's place after the PCs' list
    MapDialogRect(page, &units);
    const RECT span = placeOf(GetDlgItem(page, IDC_CHART_SPAN));
    const RECT keysButton = placeOf(GetDlgItem(page, IDC_CHART_SHOW_KEYS));
    const RECT save = placeOf(GetDlgItem(page, IDC_CHART_SAVE));
    const RECT pcsPlace = placeOf(pcs);
    const RECT now = placeOf(list);
    const int listWidth = now.right - now.left;
    const int saveLeft = width - units.left - (save.right - save.left);
    // Half the usual gap before the save button will do.
    const bool firstRow = keysButton.right + units.left + listWidth + units.left / 2 <= saveLeft;
    const bool pcsShown = (GetWindowLongA(pcs, GWL_STYLE) & WS_VISIBLE) != 0;
    POINT at = {keysButton.right + units.left, span.top};
    if (!firstRow)
        at = {pcsShown ? units.right : span.left, pcsPlace.top};
    SetWindowPos(list, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    FitPageCanvas(page, width, height, IDC_CHART_SAVE, Page.canvas, firstRow ? IDC_CHART_PCS : IDC_CHART_LIST);
}

void Select(HWND page, const DateRange& range)
{
    if (Page.selection == range)
        return;
    Page.selection = range;
    DrawCanvas(page, true);
}

PixelPoint OnCanvas(LPARAM lParam)
{
    return {GET_X_LPARAM(lParam) - Page.canvas.area.left, GET_Y_LPARAM(lParam) - Page.canvas.area.top};
}

void OnLeftButtonDown(HWND page, LPARAM lParam)
{
    // The page takes the focus, and with it the arrow keys.
    SetFocus(page);
    PixelPoint point = OnCanvas(lParam);
    ChartHit hit = HitTestChart(Page.layout, point);
    if (hit.kind == ChartHitKind::None)
        return;
    Select(page, hit.dates);
    if (hit.kind == ChartHitKind::Bar) {
        Page.dragging = true;
        Page.dragFrom = point;
        SetCapture(page);
    }
}

void OnMouseMove(HWND page, LPARAM lParam)
{
    if (!Page.dragging)
        return;
    std::optional<DateRange> dragged = DragAcrossBars(Page.layout, Page.dragFrom, OnCanvas(lParam));
    if (dragged)
        Select(page, *dragged);
}

constexpr struct {
    WPARAM key;
    ChartMove move;
} ArrowMoves[] = {
    {VK_LEFT, ChartMove::PreviousBar},
    {VK_RIGHT, ChartMove::NextBar},
    {VK_UP, ChartMove::PreviousDay},
    {VK_DOWN, ChartMove::NextDay},
};

bool OnKeyDown(HWND page, WPARAM key)
{
    for (const auto& arrow : ArrowMoves) {
        if (arrow.key != key)
            continue;
        if (Page.layout.usable)
            Select(page, MoveSelection(Page.layout, Page.selection, arrow.move));
        return true;
    }
    return false;
}

void OnPaint(HWND page)
{
    {
        ScopedPaint paint(page);
        // Only the first paint (and the first after a resize) draws the chart:
        // a paint may cover a small band, and a drawing made here would reach
        // the screen only there.
        if (Page.canvas.dc == nullptr) {
            RefreshDays(true);
            DrawCanvas(page, false);
        }
        CopyPageCanvas(paint.Dc(), paint.Area(), Page.canvas);
    }
    if (!Page.canvas.timerSet) {
        // Seen again after a while hidden: what changed meanwhile shows at once.
        StartPageRefreshing(page, Page.canvas, RefreshPeriodMs);
        if (RefreshDays(true))
            DrawCanvas(page, true);
    }
}

void OnTimer(HWND page)
{
    if (!SeenAtTick(page, Page.canvas))
        return;
    // The PCs' list shown or hidden fits the page around it alone: the list
    // choice may share its row.
    FollowPcChoice(page, IDC_CHART_PCS, IDC_CHART_SAVE, Page.canvas);
    if (Page.canvas.dc == nullptr) {
        RECT client;
        GetClientRect(page, &client);
        FitHistoryPage(page, client.right, client.bottom);
    }
    bool runningDay = ++Page.ticks >= TicksPerRunningDay;
    if (runningDay)
        Page.ticks = 0;
    // Another theme (a high-contrast one) is drawn at the next tick.
    if (RefreshDays(runningDay) || ScreenColours() != Page.colours)
        DrawCanvas(page, true);
}

// The selected days, or the span's when nothing is selected, on the keyboard
// tab: the statistics window switches to it.
void ShowKeysOfSelection(HWND page)
{
    DateRange range = Page.selection ? *Page.selection : SpanDates(Page.series, Page.span);
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    RangeMessageParameters(range, wParam, lParam);
    SendMessageA(GetParent(GetParent(page)), ShowKeysOfDaysMessage, wParam, lParam);
}

void SavePicture(HWND page)
{
    std::string user;
    char path[MAX_PATH];
    if (!AskPicturePath(page, "-history.png", user, path))
        return;
    RefreshDays(true);
    ChartPicture picture = PictureShown();
    std::string title = FormatChartTitle(user, Page.span, Page.keys, Page.series.today);
    picture.title = title.c_str();
    if (Page.historyOff || !WriteHistoryChartPng(path, picture))
        ShowPictureNotSaved(page, Page.historyOff);
}

void OnInitDialog(HWND page)
{
    HWND spans = GetDlgItem(page, IDC_CHART_SPAN);
    for (ChartSpan span : ChartSpans)
        SendMessageA(spans, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ChartSpanCaption(span)));
    SendMessageA(spans, CB_SETCURSEL, static_cast<WPARAM>(Page.span), 0);
    HWND keys = GetDlgItem(page, IDC_CHART_KEYS);
    for (ChartKeys choice : ChartKeyChoices)
        SendMessageA(keys, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ChartKeysCaption(choice)));
    SendMessageA(keys, CB_SETCURSEL, static_cast<WPARAM>(Page.keys), 0);
    HWND list = GetDlgItem(page, IDC_CHART_LIST);
    for (ChartList choice : ChartListChoices)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ChartListCaption(choice)));
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(Page.list), 0);
    FillPcChoice(GetDlgItem(page, IDC_CHART_PCS), Page.thisPcOnly);
}

void OnCommand(HWND page, int control, int notification)
{
    if (control == IDC_CHART_SPAN && notification == CBN_SELCHANGE) {
        LRESULT chosen = SendDlgItemMessageA(page, IDC_CHART_SPAN, CB_GETCURSEL, 0, 0);
        if (chosen >= 0 && chosen < static_cast<LRESULT>(std::size(ChartSpans)))
            Page.span = ChartSpans[chosen];
        DrawCanvas(page, true);
    } else if (control == IDC_CHART_KEYS && notification == CBN_SELCHANGE) {
        LRESULT chosen = SendDlgItemMessageA(page, IDC_CHART_KEYS, CB_GETCURSEL, 0, 0);
        if (chosen >= 0 && chosen < static_cast<LRESULT>(std::size(ChartKeyChoices)))
            Page.keys = ChartKeyChoices[chosen];
        DrawCanvas(page, true);
    } else if (control == IDC_CHART_LIST && notification == CBN_SELCHANGE) {
        LRESULT chosen = SendDlgItemMessageA(page, IDC_CHART_LIST, CB_GETCURSEL, 0, 0);
        if (chosen >= 0 && chosen < static_cast<LRESULT>(std::size(ChartListChoices)))
            Page.list = ChartListChoices[chosen];
        Page.rankedOf.reset();
        DrawCanvas(page, true);
    } else if (control == IDC_CHART_PCS && notification == CBN_SELCHANGE) {
        Page.thisPcOnly = ThisPcChosen(GetDlgItem(page, IDC_CHART_PCS));
        if (RefreshDays(true))
            DrawCanvas(page, true);
    } else if (control == IDC_CHART_SHOW_KEYS && notification == BN_CLICKED) {
        ShowKeysOfSelection(page);
    } else if (control == IDC_CHART_SAVE && notification == BN_CLICKED) {
        SavePicture(page);
    }
}

} // namespace

INT_PTR CALLBACK HistoryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(page);
        return TRUE;
    case WM_SIZE:
        FitHistoryPage(page, LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_PAINT:
        OnPaint(page);
        return TRUE;
    case WM_TIMER:
        if (wParam == PageRefreshTimer)
            OnTimer(page);
        return TRUE;
    case WM_COMMAND:
        OnCommand(page, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_LBUTTONDOWN:
        OnLeftButtonDown(page, lParam);
        return TRUE;
    case WM_MOUSEMOVE:
        OnMouseMove(page, lParam);
        return TRUE;
    case WM_LBUTTONUP:
        if (Page.dragging)
            ReleaseCapture();
        return TRUE;
    case WM_CAPTURECHANGED:
        Page.dragging = false;
        return TRUE;
    case WM_KEYDOWN:
        return OnKeyDown(page, wParam) ? TRUE : FALSE;
    case WM_GETDLGCODE:
        SetWindowLongPtrA(page, DWLP_MSGRESULT, DLGC_WANTARROWS);
        return TRUE;
    case WM_SETFOCUS:
        // The page keeps the focus a click gave it; the dialog's default
        // would pass it on to the first control, the span list.
        return TRUE;
    case WM_DESTROY:
        // Made anew at another scale, the page keeps its days and selection
        // but has its name (and drawing) still to be given.
        ClosePageCanvas(page, Page.canvas);
        Page.layout = ChartLayout{};
        Page.name.clear();
        return TRUE;
    default:
        return FALSE;
    }
}
