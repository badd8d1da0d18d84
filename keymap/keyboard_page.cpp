// The keyboard tab: the key map of the logged-in user's counts over a chosen
// period, with a switch for the letters (or every stroke of each key) and a
// button that saves it as a PNG.
//
// The map is drawn into the page's canvas and the paint only copies it (see
// page_canvas.h). A timer, running only while the page is seen, draws the
// canvas again at most twice a second, and only when the counts it shows
// have changed.
#include "keymap/keyboard_page.h"

#include <algorithm>
#include <string>

#include "history/day_range_message.h"
#include "history/user_history.h"
#include "store/user_days.h"
#include "keymap/map_layout.h"
#include "keymap/map_painter.h"
#include "keymap/map_period.h"
#include "keymap/map_png.h"
#include "paint/page_canvas.h"
#include "paint/scoped_paint.h"
#include "res/resource.h"
#include "store/picture_path.h"
#include "store/user_data.h"
#include "store/user_record.h"
#include "sync/pc_choice.h"
#include "sync/pc_sharing.h"

namespace {

constexpr UINT RefreshPeriodMs = 500;

struct PageState {
    MapPeriod period = DefaultMapPeriod;
    MapMode mode = DefaultMapMode;
    DateRange range;                   // 指定した期間: today until the history tab hands one over
    bool rangeSet = false;
    RangeDays rangeDays;               // the range's days as last read
    unsigned rangeVersion = 0;         // HistoryVersion() when they were read
    bool rangeRead = false;
    bool thisPcOnly = false;           // この PC chosen
    bool rangeAllPcs = false;          // the range's days are every PC's
    unsigned rangeOthers = 0;          // OtherPcsVersion() when they were read
    PageCanvas canvas;
    KeyMapPicture drawn;               // what the canvas shows
    std::string drawnTitle;            // the line over it, if any
} Page;

constexpr struct {
    int id;
    MapMode mode;
} ModeButtons[] = {
    {IDC_MAP_LOWERCASE, MapMode::Lowercase},
    {IDC_MAP_UPPERCASE, MapMode::Uppercase},
    {IDC_MAP_BOTH, MapMode::Both},
    {IDC_MAP_ALL_KEYS, MapMode::AllStrokes},
};

// The range's days, read again only when the history, the range or the date
// has moved: reading them takes milliseconds for years of days.
bool KeepRangeDaysRead(const HistoryCounts& now)
{
    LocalDate today = TodaysDate();
    unsigned version = HistoryVersion();
    const bool allPcs = AllPcsShown(Page.thisPcOnly);
    unsigned others = allPcs ? OtherPcsVersion() : 0;
    if (Page.rangeRead && Page.rangeVersion == version && Page.rangeDays.range == Page.range &&
        Page.rangeDays.today == today && Page.rangeAllPcs == allPcs && Page.rangeOthers == others)
        return true;
    std::optional<std::vector<HistoryDay>> days = CurrentHistoryDays(now);
    if (!days)
        return false;
    Page.rangeDays = ReadRangeDays(allPcs ? WithOtherPcsDays(*days) : *days, Page.range, today);
    Page.rangeVersion = version;
    Page.rangeAllPcs = allPcs;
    Page.rangeOthers = others;
    Page.rangeRead = true;
    return true;
}

// What the map shows now: the period's counts, as the export reckons them.
KeyMapPicture CurrentPicture(bool& historyOff)
{
    HistoryCounts now = AllTimeCounts();
    // All time needs no day: the history's periods are not summed for it.
    std::optional<HistoryPeriods> periods;
    if (Page.period != MapPeriod::All)
        periods = CurrentHistoryPeriods(now);
    HistoryCounts rangeSums;
    bool rangeRead = Page.period == MapPeriod::Range && periods && KeepRangeDaysRead(now);
    if (AllPcsShown(Page.thisPcOnly)) {
        now = WithOtherPcsAllTime(now);
        if (periods)
            periods = WithOtherPcsPeriods(*periods, TodaysDate());
    }
    if (rangeRead)
        rangeSums = RangeSums(Page.rangeDays, periods->today);
    historyOff = Page.period != MapPeriod::All && (!periods || (Page.period == MapPeriod::Range && !rangeRead));
    KeyMapPicture picture;
    picture.counts = KeyCountsOfPeriod(Page.period, now, periods ? *periods : HistoryPeriods{}, rangeSums);
    picture.mode = Page.mode;
    return picture;
}

// The line over the map on the page: why nothing is shown, or which days are.
std::string TitleOnPage(bool historyOff)
{
    if (historyOff)
        return "日ごとの記録ファイルを読めないため、この期間は表示できません。";
    return Page.period == MapPeriod::Range ? MapPeriodText(Page.period, Page.range) : std::string();
}

// What a new drawing of the map changed: nothing, some keys and maybe the
// scale, or all of it.
struct MapChange {
    bool whole = false;
    bool scale = false;
    KeySelection keys{};
};

RECT CanvasRect()
{
    return {0, 0, Page.canvas.area.right - Page.canvas.area.left, Page.canvas.area.bottom - Page.canvas.area.top};
}

// Draws into the page's canvas what has changed since the last drawing:
// the keys whose values moved, and when the scale's top moved the scale and
// the keys whose colours that changed; the whole map only when the colours,
// the mode or the title did.
MapChange RefreshCanvas(HWND page)
{
    MapChange change;
    bool historyOff = false;
    KeyMapPicture picture = CurrentPicture(historyOff);
    picture.colours = ScreenColours();
    bool fresh = Page.canvas.dc == nullptr;
    if (!ReadyPageCanvas(page, Page.canvas))
        return change;
    std::string title = TitleOnPage(historyOff);
    // Another theme (a high-contrast one) is seen at the next tick.
    change.whole = fresh || picture.colours != Page.drawn.colours || picture.mode != Page.drawn.mode ||
                   title != Page.drawnTitle;
    if (!change.whole) {
        change.scale =
            HighestKeyValue(picture.counts, picture.mode) != HighestKeyValue(Page.drawn.counts, picture.mode);
        change.keys = KeysDrawnOtherwise(Page.drawn.counts, picture.counts, picture.mode);
        if (!change.scale && std::find(change.keys.begin(), change.keys.end(), true) == change.keys.end())
            return change;
    }
    picture.title = title.c_str();
    if (change.whole) {
        DrawKeyMap(Page.canvas.dc, CanvasRect(), picture);
    } else {
        DrawKeyMapKeys(Page.canvas.dc, CanvasRect(), picture, change.keys);
        if (change.scale)
            DrawKeyMapScale(Page.canvas.dc, CanvasRect(), picture);
    }
    picture.title = nullptr;
    Page.drawn = picture;
    Page.drawnTitle = title;
    return change;
}

// Puts a new drawing on the screen: the whole map, or while typing only the
// keys just struck (and the scale), so that a few key-sized copies reach the
// screen instead of the page, marked in one call.
void ShowChanges(HWND page)
{
    MapChange change = RefreshCanvas(page);
    if (change.whole) {
        InvalidateRect(page, &Page.canvas.area, FALSE);
        return;
    }
    RECT canvas = CanvasRect();
    KeyMapLayout layout = LayOutKeyMap({0, 0, canvas.right, canvas.bottom}, !Page.drawnTitle.empty());
    const RECT& area = Page.canvas.area;
    HRGN changed = CreateRectRgn(0, 0, 0, 0);
    auto mark = [&](const PixelRect& part) {
        HRGN piece = CreateRectRgn(area.left + part.left, area.top + part.top, area.left + part.right,
                                   area.top + part.bottom);
        CombineRgn(changed, changed, piece, RGN_OR);
        DeleteObject(piece);
    };
    auto keys = KeyboardKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        if (change.keys[i])
            mark(KeyArea(layout, keys[i]));
    }
    if (change.scale)
        mark(ScaleArea(layout));
    InvalidateRgn(page, changed, FALSE);
    DeleteObject(changed);
}

void OnInitDialog(HWND page)
{
    // The page is made anew when the main window moves to a monitor at
    // another scale: what it shows stays as chosen.
    if (!Page.rangeSet) {
        LocalDate today = TodaysDate();
        Page.range = {today, today};
        Page.rangeSet = true;
    }
    HWND periods = GetDlgItem(page, IDC_MAP_PERIOD);
    for (MapPeriod period : ListedMapPeriods)
        SendMessageA(periods, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(MapPeriodCaption(period)));
    SendMessageA(periods, CB_SETCURSEL, static_cast<WPARAM>(Page.period), 0);
    for (const auto& button : ModeButtons)
        CheckDlgButton(page, button.id, button.mode == Page.mode ? BST_CHECKED : BST_UNCHECKED);
    FillPcChoice(GetDlgItem(page, IDC_MAP_PCS), Page.thisPcOnly);
}

void OnPaint(HWND page)
{
    {
        ScopedPaint paint(page);
        // Only the first paint (and the first after a resize) draws the map:
        // a paint may cover a small band, and a map drawn anew here would
        // reach the screen only there. The timer draws the changes and
        // repaints it whole.
        if (Page.canvas.dc == nullptr)
            RefreshCanvas(page);
        CopyPageCanvas(paint.Dc(), paint.Area(), Page.canvas);
    }
    StartPageRefreshing(page, Page.canvas, RefreshPeriodMs);
}

void SavePicture(HWND page)
{
    std::string user;
    char path[MAX_PATH];
    if (!AskPicturePath(page, "-keyboard.png", user, path))
        return;
    bool historyOff = false;
    KeyMapPicture picture = CurrentPicture(historyOff);
    std::string title = MapTitle(user, Page.period, Page.range, picture.mode, TodaysDate());
    picture.title = title.c_str();
    if (historyOff || !WriteKeyMapPng(path, picture))
        ShowPictureNotSaved(page, historyOff);
}

void ChoosePeriod(HWND page, MapPeriod period)
{
    Page.period = period;
    SendDlgItemMessageA(page, IDC_MAP_PERIOD, CB_SETCURSEL, static_cast<WPARAM>(period), 0);
    ShowChanges(page);
}

void OnCommand(HWND page, int control, int notification)
{
    if (control == IDC_MAP_PERIOD && notification == CBN_SELCHANGE) {
        LRESULT chosen = SendDlgItemMessageA(page, IDC_MAP_PERIOD, CB_GETCURSEL, 0, 0);
        if (chosen >= 0 && chosen < static_cast<LRESULT>(std::size(ListedMapPeriods)))
            Page.period = ListedMapPeriods[chosen];
        ShowChanges(page);
        return;
    }
    if (control == IDC_MAP_PCS && notification == CBN_SELCHANGE) {
        Page.thisPcOnly = ThisPcChosen(GetDlgItem(page, IDC_MAP_PCS));
        ShowChanges(page);
        return;
    }
    for (const auto& button : ModeButtons) {
        if (control == button.id && notification == BN_CLICKED) {
            Page.mode = button.mode;
            ShowChanges(page);
            return;
        }
    }
    if (control == IDC_MAP_SAVE && notification == BN_CLICKED)
        SavePicture(page);
}

} // namespace

INT_PTR CALLBACK KeyboardPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(page);
        return TRUE;
    case WM_SIZE:
        FitPageCanvas(page, LOWORD(lParam), HIWORD(lParam), IDC_MAP_SAVE, Page.canvas, IDC_MAP_PCS);
        return TRUE;
    case WM_PAINT:
        OnPaint(page);
        return TRUE;
    case WM_TIMER:
        if (wParam == PageRefreshTimer && SeenAtTick(page, Page.canvas)) {
            FollowPcChoice(page, IDC_MAP_PCS, IDC_MAP_SAVE, Page.canvas);
            ShowChanges(page);
        }
        return TRUE;
    case WM_COMMAND:
        OnCommand(page, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case ShowMapRangeMessage:
        Page.range = RangeOfMessage(wParam, lParam);
        ChoosePeriod(page, MapPeriod::Range);
        return TRUE;
    case WM_DESTROY:
        ClosePageCanvas(page, Page.canvas);
        return TRUE;
    default:
        return FALSE;
    }
}
