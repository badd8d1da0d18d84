#include "sync/pc_choice.h"

#include "sync/pc_sharing.h"

void FillPcChoice(HWND list, bool thisPcOnly)
{
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("この PC"));
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("すべての PC"));
    SendMessageA(list, CB_SETCURSEL, thisPcOnly ? 0 : 1, 0);
    ShowPcChoice(list);
}

bool ThisPcChosen(HWND list) { return SendMessageA(list, CB_GETCURSEL, 0, 0) == 0; }

bool ShowPcChoice(HWND list)
{
    const bool show = SharingOn();
    if (((GetWindowLongA(list, GWL_STYLE) & WS_VISIBLE) != 0) == show)
        return false;
    ShowWindow(list, show ? SW_SHOWNA : SW_HIDE);
    return true;
}

void FollowPcChoice(HWND page, int list, int saveButton, PageCanvas& canvas)
{
    if (!ShowPcChoice(GetDlgItem(page, list)))
        return;
    RECT client;
    GetClientRect(page, &client);
    FitPageCanvas(page, client.right, client.bottom, saveButton, canvas, list);
    InvalidateRect(page, nullptr, TRUE);
}

bool AllPcsShown(bool thisPcOnly) { return SharingOn() && !thisPcOnly; }
