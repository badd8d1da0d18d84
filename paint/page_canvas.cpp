#include "paint/page_canvas.h"

#include <algorithm>

namespace {

constexpr int Margin = 4;   // dialog units around the controls

} // namespace

void FitPageCanvas(HWND page, int width, int height, int saveButton, PageCanvas& canvas, int secondRow)
{
    RECT margin = {Margin, Margin, 0, 0};
    MapDialogRect(page, &margin);
    HWND save = GetDlgItem(page, saveButton);
    RECT button;
    GetWindowRect(save, &button);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&button), 2);
    int buttonWidth = button.right - button.left;
    SetWindowPos(save, nullptr, width - margin.left - buttonWidth, button.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    canvas.area = {margin.left, button.bottom + margin.top, width - margin.left, height - margin.top};
    HWND row = secondRow != 0 ? GetDlgItem(page, secondRow) : nullptr;
    RECT below;
    if (row != nullptr && (GetWindowLongA(row, GWL_STYLE) & WS_VISIBLE) && GetWindowRect(row, &below)) {
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&below), 2);
        canvas.area.top = std::max(canvas.area.top, below.bottom + margin.top);
    }
    if (canvas.area.bottom < canvas.area.top)
        canvas.area.bottom = canvas.area.top;
    DropPageCanvas(canvas);
}

bool ReadyPageCanvas(HWND page, PageCanvas& canvas)
{
    if (canvas.dc != nullptr)
        return true;
    int width = canvas.area.right - canvas.area.left;
    int height = canvas.area.bottom - canvas.area.top;
    if (width <= 0 || height <= 0)
        return false;
    HDC screen = GetDC(page);
    canvas.bitmap = CreateCompatibleBitmap(screen, width, height);
    canvas.dc = CreateCompatibleDC(screen);
    ReleaseDC(page, screen);
    if (canvas.bitmap == nullptr || canvas.dc == nullptr) {
        DropPageCanvas(canvas);
        return false;
    }
    canvas.dcDefault = SelectObject(canvas.dc, canvas.bitmap);
    return true;
}

void DropPageCanvas(PageCanvas& canvas)
{
    if (canvas.dc != nullptr) {
        SelectObject(canvas.dc, canvas.dcDefault);
        DeleteDC(canvas.dc);
    }
    if (canvas.bitmap != nullptr)
        DeleteObject(canvas.bitmap);
    canvas.dc = nullptr;
    canvas.bitmap = nullptr;
}

void CopyPageCanvas(HDC dc, const RECT& painted, const PageCanvas& canvas)
{
    RECT copy;
    if (canvas.dc != nullptr && IntersectRect(&copy, &painted, &canvas.area))
        BitBlt(dc, copy.left, copy.top, copy.right - copy.left, copy.bottom - copy.top, canvas.dc,
               copy.left - canvas.area.left, copy.top - canvas.area.top, SRCCOPY);
}

void StartPageRefreshing(HWND page, PageCanvas& canvas, UINT periodMs)
{
    if (!canvas.timerSet)
        canvas.timerSet = SetTimer(page, PageRefreshTimer, periodMs, nullptr) != 0;
}

namespace {

void StopPageRefreshing(HWND page, PageCanvas& canvas)
{
    if (canvas.timerSet) {
        KillTimer(page, PageRefreshTimer);
        canvas.timerSet = false;
    }
}

} // namespace

bool SeenAtTick(HWND page, PageCanvas& canvas)
{
    if (IsWindowVisible(page) && !IsIconic(GetAncestor(page, GA_ROOT)))
        return true;
    StopPageRefreshing(page, canvas);
    return false;
}

void ClosePageCanvas(HWND page, PageCanvas& canvas)
{
    StopPageRefreshing(page, canvas);
    DropPageCanvas(canvas);
}
