// The keyboard tab: the key map of the logged-in user's counts over a chosen
// period, with a switch for the letters and a button that saves it as a PNG.
//
// The map is drawn into a bitmap of its own and the paint only copies it: the
// polling thread marks the count pages' bands of the main window at every
// stroke, and those marks reach this page too. A timer, running only while
// the page is seen, draws the bitmap again at most twice a second, and
// only when the counts it shows have changed.
#include "keymap/keyboard_page.h"

#include <algorithm>
#include <string>

#include "history/user_history.h"
#include "keymap/map_layout.h"
#include "keymap/map_painter.h"
#include "keymap/map_period.h"
#include "keymap/map_png.h"
#include "res/resource.h"
#include "store/own_files.h"
#include "store/user_data.h"
#include "store/user_record.h"
#include "win/app_text.h"
#include "win/modal_ui.h"
#include "win/save_as_dialog.h"

namespace {

constexpr UINT_PTR RefreshTimerId = 1;
constexpr UINT RefreshPeriodMs = 500;
constexpr int Margin = 4;   // dialog units around the controls

struct PageState {
    MapPeriod period = DefaultMapPeriod;
    LetterMode letters = DefaultLetterMode;
    RECT mapArea = {};                 // client pixels below the controls
    HDC canvas = nullptr;              // a memory context that holds map
    HBITMAP map = nullptr;             // the map as last drawn, mapArea's size
    HGDIOBJ canvasDefault = nullptr;   // what canvas held before map
    KeyMapPicture drawn;               // what map shows
    bool historyOff = false;
    bool timerSet = false;
} Page;

constexpr struct {
    int id;
    LetterMode mode;
} LetterButtons[] = {
    {IDC_MAP_LOWERCASE, LetterMode::Lowercase},
    {IDC_MAP_UPPERCASE, LetterMode::Uppercase},
    {IDC_MAP_BOTH, LetterMode::Both},
};

// What the map shows now: the period's counts, as the export reckons them.
KeyMapPicture CurrentPicture(MapPeriod period, LetterMode letters, bool& historyOff)
{
    StoredValues values = CollectStoredValues(Counters);
    std::optional<HistoryPeriods> periods = CurrentHistoryPeriods(SnapshotOf(values));
    historyOff = !periods && period != MapPeriod::All;
    KeyMapPicture picture;
    picture.counts = KeyCountsOfPeriod(period, values, periods ? *periods : HistoryPeriods{});
    picture.letters = letters;
    return picture;
}

void DropBitmap()
{
    if (Page.canvas != nullptr) {
        SelectObject(Page.canvas, Page.canvasDefault);
        DeleteDC(Page.canvas);
    }
    if (Page.map != nullptr)
        DeleteObject(Page.map);
    Page.canvas = nullptr;
    Page.map = nullptr;
}

// The bitmap and the memory context that draws into it, kept while the page
// keeps its size.
bool MakeCanvas(HWND page, int width, int height)
{
    HDC screen = GetDC(page);
    Page.map = CreateCompatibleBitmap(screen, width, height);
    Page.canvas = CreateCompatibleDC(screen);
    ReleaseDC(page, screen);
    if (Page.map == nullptr || Page.canvas == nullptr) {
        DropBitmap();
        return false;
    }
    Page.canvasDefault = SelectObject(Page.canvas, Page.map);
    return true;
}

// The keys whose values differ between two sets of counts.
KeySelection ChangedKeys(const KeyCounts& before, const KeyCounts& after, LetterMode letters)
{
    KeySelection changed{};
    auto keys = KeyboardKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        uint64_t was = 0;
        uint64_t now = 0;
        changed[i] = KeyValue(keys[i], before, letters, was) && KeyValue(keys[i], after, letters, now) && was != now;
    }
    return changed;
}

// What a new drawing of the map changed: nothing, some keys, or all of it.
struct MapChange {
    bool whole = false;
    KeySelection keys{};
};

// Draws into the page's bitmap what has changed since the last drawing.
// While the scale keeps its top, only the keys whose values moved look any
// different, and only they are drawn again.
MapChange RefreshBitmap(HWND page)
{
    MapChange change;
    bool historyOff = false;
    KeyMapPicture picture = CurrentPicture(Page.period, Page.letters, historyOff);
    int width = Page.mapArea.right - Page.mapArea.left;
    int height = Page.mapArea.bottom - Page.mapArea.top;
    if (width <= 0 || height <= 0)
        return change;
    bool fresh = Page.canvas == nullptr;
    if (fresh && !MakeCanvas(page, width, height))
        return change;
    change.whole = fresh || picture.letters != Page.drawn.letters || historyOff != Page.historyOff ||
                   HighestKeyValue(picture.counts, picture.letters) !=
                       HighestKeyValue(Page.drawn.counts, picture.letters);
    if (!change.whole) {
        change.keys = ChangedKeys(Page.drawn.counts, picture.counts, picture.letters);
        if (std::find(change.keys.begin(), change.keys.end(), true) == change.keys.end())
            return change;
    }
    RECT area = {0, 0, width, height};
    picture.title = historyOff ? "日ごとの記録ファイルを読めないため、この期間は表示できません。" : nullptr;
    if (change.whole)
        DrawKeyMap(Page.canvas, area, picture);
    else
        DrawKeyMapKeys(Page.canvas, area, picture, change.keys);
    picture.title = nullptr;
    Page.drawn = picture;
    Page.historyOff = historyOff;
    return change;
}

// Puts a new drawing on the screen: the whole map, or while typing only the
// keys just struck, so that a few key-sized copies reach the screen instead
// of the page.
void ShowChanges(HWND page)
{
    MapChange change = RefreshBitmap(page);
    if (change.whole) {
        InvalidateRect(page, &Page.mapArea, FALSE);
        return;
    }
    KeyMapLayout layout = LayOutKeyMap({0, 0, Page.mapArea.right - Page.mapArea.left,
                                        Page.mapArea.bottom - Page.mapArea.top},
                                       Page.historyOff);
    auto keys = KeyboardKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!change.keys[i])
            continue;
        PixelRect face = KeyFace(layout, keys[i]);
        // The outline is drawn on the face's edges: a pixel more all round.
        RECT changed = {Page.mapArea.left + face.left - 1, Page.mapArea.top + face.top - 1,
                        Page.mapArea.left + face.right + 1, Page.mapArea.top + face.bottom + 1};
        InvalidateRect(page, &changed, FALSE);
    }
}

// The timer runs only while the page is seen: it stops itself when the page
// is hidden (another tab, the window minimised or in the notification area),
// and the next paint, which comes when the page is seen again, starts it.
void KeepRefreshing(HWND page, bool wanted)
{
    if (wanted && !Page.timerSet)
        Page.timerSet = SetTimer(page, RefreshTimerId, RefreshPeriodMs, nullptr) != 0;
    else if (!wanted && Page.timerSet) {
        KillTimer(page, RefreshTimerId);
        Page.timerSet = false;
    }
}

void OnInitDialog(HWND page)
{
    HWND periods = GetDlgItem(page, IDC_MAP_PERIOD);
    for (MapPeriod period : MapPeriods)
        SendMessageA(periods, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(MapPeriodCaption(period)));
    SendMessageA(periods, CB_SETCURSEL, static_cast<WPARAM>(Page.period), 0);
    for (const auto& button : LetterButtons)
        CheckDlgButton(page, button.id, button.mode == Page.letters ? BST_CHECKED : BST_UNCHECKED);
}

// The controls keep their places from the template; the save button goes to
// the right edge, and the map takes the rest of the page below them.
void OnSize(HWND page, int width, int height)
{
    RECT margin = {Margin, Margin, 0, 0};
    MapDialogRect(page, &margin);
    HWND save = GetDlgItem(page, IDC_MAP_SAVE);
    RECT button;
    GetWindowRect(save, &button);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&button), 2);
    int buttonWidth = button.right - button.left;
    SetWindowPos(save, nullptr, width - margin.left - buttonWidth, button.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Page.mapArea = {margin.left, button.bottom + margin.top, width - margin.left, height - margin.top};
    if (Page.mapArea.bottom < Page.mapArea.top)
        Page.mapArea.bottom = Page.mapArea.top;
    DropBitmap();
}

void OnPaint(HWND page)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(page, &paint);
    // Only the first paint (and the first after a resize) draws the map: a
    // paint may cover a small band, and a map drawn anew here would reach
    // the screen only there. The timer draws the changes and repaints it whole.
    if (Page.canvas == nullptr)
        RefreshBitmap(page);
    RECT copy;
    if (Page.canvas != nullptr && IntersectRect(&copy, &paint.rcPaint, &Page.mapArea))
        BitBlt(dc, copy.left, copy.top, copy.right - copy.left, copy.bottom - copy.top, Page.canvas,
               copy.left - Page.mapArea.left, copy.top - Page.mapArea.top, SRCCOPY);
    EndPaint(page, &paint);
    KeepRefreshing(page, true);
}

void SavePicture(HWND page)
{
    char user[UserEntryCapacity];
    UserNameFromFile(CurrentUserFile, user);
    std::string defaultName = std::string(user) + "-keyboard.png";
    char path[MAX_PATH];
    if (!AskSaveAsPath(page, {defaultName.c_str(), "PNG (*.png)", "*.png", "png"}, path) ||
        RefuseKivoraOwnFile(page, path))
        return;
    bool historyOff = false;
    KeyMapPicture picture = CurrentPicture(Page.period, Page.letters, historyOff);
    std::string title = std::string(user) + " - " + MapPeriodCaption(Page.period);
    picture.title = title.c_str();
    if (historyOff || !WriteKeyMapPng(path, picture))
        ShowMessage(page,
                    historyOff ? "日ごとの記録ファイルを読めないため、この期間の画像は保存できません。"
                               : "画像を保存できませんでした。書き込める場所と名前を選んでください。",
                    AppText::ErrorCaption, MB_OK | MB_ICONWARNING);
}

void OnCommand(HWND page, int control, int notification)
{
    if (control == IDC_MAP_PERIOD && notification == CBN_SELCHANGE) {
        LRESULT chosen = SendDlgItemMessageA(page, IDC_MAP_PERIOD, CB_GETCURSEL, 0, 0);
        if (chosen >= 0 && chosen < static_cast<LRESULT>(std::size(MapPeriods)))
            Page.period = MapPeriods[chosen];
        ShowChanges(page);
        return;
    }
    for (const auto& button : LetterButtons) {
        if (control == button.id && notification == BN_CLICKED) {
            Page.letters = button.mode;
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
        OnSize(page, LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_PAINT:
        OnPaint(page);
        return TRUE;
    case WM_TIMER:
        if (wParam == RefreshTimerId) {
            if (IsWindowVisible(page) && !IsIconic(GetAncestor(page, GA_ROOT)))
                ShowChanges(page);
            else
                KeepRefreshing(page, false);
        }
        return TRUE;
    case WM_COMMAND:
        OnCommand(page, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_DESTROY:
        KeepRefreshing(page, false);
        DropBitmap();
        return TRUE;
    default:
        return FALSE;
    }
}
