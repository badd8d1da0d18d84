#pragma once
// Whether the controls of a window show their texts whole, measured with
// each control's own font as it draws them: a label's lines within its
// height, a button's, box's or list's text within its width, a tab within
// its control.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace wintest {

inline SIZE TextSize(HWND control, const std::string& text, int width, UINT format)
{
    HDC dc = GetDC(control);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    RECT needed = {0, 0, width, 0};
    DrawTextA(dc, text.c_str(), -1, &needed, format | DT_CALCRECT);
    if (previous != nullptr)
        SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return {needed.right, needed.bottom};
}

// What a control shows of its text that does not fit it; empty when all fits.
inline std::string CutText(HWND control)
{
    char className[32] = "";
    GetClassNameA(control, className, sizeof className);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    RECT client;
    GetClientRect(control, &client);
    char buffer[512] = "";
    GetWindowTextA(control, buffer, sizeof buffer);
    std::string text = buffer;
    const int check = GetSystemMetrics(SM_CXMENUCHECK) + 4;   // a box or radio and its gap

    if (lstrcmpiA(className, "Static") == 0) {
        UINT type = style & SS_TYPEMASK;
        if (text.empty() || (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT))
            return "";
        SIZE size = TextSize(control, text, client.right, DT_WORDBREAK | DT_EXPANDTABS |
                                                               ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0));
        return size.cx > client.right || size.cy > client.bottom ? text : "";
    }
    if (lstrcmpiA(className, "Button") == 0 && !text.empty()) {
        LONG type = style & BS_TYPEMASK;
        int room = client.right;
        if (type == BS_GROUPBOX)
            room -= 2 * GetSystemMetrics(SM_CXEDGE) + 8;
        else if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
            room -= 2 * GetSystemMetrics(SM_CXEDGE);
        else
            room -= check;
        if (style & BS_MULTILINE) {
            SIZE size = TextSize(control, text, room, DT_WORDBREAK);
            return size.cx > room || size.cy > client.bottom ? text : "";
        }
        return TextSize(control, text, 0, DT_SINGLELINE).cx > room ? text : "";
    }
    if (lstrcmpiA(className, "ComboBox") == 0) {
        // Each item as the closed box shows it when chosen, left of its arrow.
        int room = client.right - GetSystemMetrics(SM_CXVSCROLL) - 2 * GetSystemMetrics(SM_CXEDGE) - 2;
        LRESULT count = SendMessageA(control, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char item[256] = "";
            if (SendMessageA(control, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof item))
                SendMessageA(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            if (TextSize(control, item, 0, DT_SINGLELINE | DT_NOPREFIX).cx > room)
                return item;
        }
        return "";
    }
    if (lstrcmpiA(className, WC_TABCONTROLA) == 0) {
        int count = TabCtrl_GetItemCount(control);
        for (int i = 0; i < count; ++i) {
            RECT item;
            TabCtrl_GetItemRect(control, i, &item);
            if (item.left < 0 || item.right > client.right || TabCtrl_GetRowCount(control) != 1)
                return "tab " + std::to_string(i);
        }
    }
    return "";
}

// The texts cut under root. A control hidden by its own style is passed
// over; those of a page of the tabs that is not shown are not: they are laid
// out all the same.
inline std::vector<std::string> CutTexts(HWND root)
{
    std::vector<std::string> cut;
    EnumChildWindows(
        root,
        [](HWND control, LPARAM out) -> BOOL {
            if ((GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) == 0)
                return TRUE;
            std::string text = CutText(control);
            if (!text.empty())
                reinterpret_cast<std::vector<std::string>*>(out)->push_back(text);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&cut));
    return cut;
}

} // namespace wintest
