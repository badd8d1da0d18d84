#pragma once
// Whether the controls of a window show their texts whole, measured with
// each control's own font as it draws them: a label's lines within its
// height, a button's, box's or list's text within its width.
#include <windows.h>

#include <string>
#include <vector>

namespace wintest {

inline SIZE TextSize(HWND control, const std::string& text, int width, UINT format)
{
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT needed = {0, 0, width, 0};
    DrawTextA(dc, text.c_str(), -1, &needed, format | DT_CALCRECT);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return {needed.right, needed.bottom};
}

// The text of a control that it does not show whole; empty when all fits.
inline std::string CutText(HWND control)
{
    char className[32] = "", text[512] = "";
    GetClassNameA(control, className, sizeof className);
    GetWindowTextA(control, text, sizeof text);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    RECT client;
    GetClientRect(control, &client);
    int room = client.right;
    UINT format = DT_SINGLELINE;
    if (lstrcmpiA(className, "Static") == 0) {
        UINT type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT)
            return "";
        format = DT_WORDBREAK | DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    } else if (lstrcmpiA(className, "Button") == 0) {
        LONG type = style & BS_TYPEMASK;
        bool pushed = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
        // A push button's edges, a group box's corners, a check box's box and gap.
        room -= pushed                ? 2 * GetSystemMetrics(SM_CXEDGE)
                : type == BS_GROUPBOX ? 2 * GetSystemMetrics(SM_CXEDGE) + 8
                                      : GetSystemMetrics(SM_CXMENUCHECK) + 4;
        format = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    } else if (lstrcmpiA(className, "ComboBox") == 0) {
        // Each item as the closed box shows it when chosen, left of its arrow.
        room -= GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE) + 2;
        for (LRESULT i = 0, count = SendMessageA(control, CB_GETCOUNT, 0, 0); i < count; ++i) {
            char item[256] = "";
            if (SendMessageA(control, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof item))
                SendMessageA(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            if (TextSize(control, item, 0, DT_SINGLELINE | DT_NOPREFIX).cx > room)
                return item;
        }
        return "";
    } else {
        return "";
    }
    if (text[0] == '\0')
        return "";
    // Lines that wrap must fit the height; a single line, the width.
    bool wraps = (format & DT_WORDBREAK) != 0;
    SIZE size = TextSize(control, text, wraps ? room : 0, format);
    return size.cx > room || (wraps && size.cy > client.bottom) ? text : "";
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
            std::string text = (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) ? CutText(control) : "";
            if (!text.empty())
                reinterpret_cast<std::vector<std::string>*>(out)->push_back(text);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&cut));
    return cut;
}

} // namespace wintest
