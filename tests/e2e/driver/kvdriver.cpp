// kvdriver: the end-to-end tests' eyes and hands inside the Wine desktop.
// It finds Kivora's windows and dialogs, says where their controls lie on the
// screen and what they show, posts messages, and runs Kivora to learn its
// exit code. Windows belong to a desktop, so it must run in the same Wine
// desktop as Kivora (started through "explorer /desktop=NAME,WxH").
//
// Results are printed on stdout as UTF-8 lines, "kind key=value ...", with
// texts last and their line breaks written as \n. The last line is
// "status code=N", as is the exit code (explorer does not pass that on):
// 0 done; 1 the window, control or item was not found in time; 2 bad usage.
//
//   list | find | controls | combo | listbox | main | tabs | tooltips | foreground
//        [--title T] [--class C] [--id N] [--wait MS] [--gone]
//   menu-layout --exe PATH        where the items of Kivora's menus lie
//   move --class C --x --y --width --height
//   post (--class C | --broadcast) (--msg N | --registered NAME) [--wparam --lparam]
//   run --exit-file PATH -- COMMAND LINE
//   serve          the commands above but run, a line each from stdin
//   end (--class C | --title T | --apps)
//   hold --file PATH --while FLAG   holds PATH as a spreadsheet does while FLAG exists
#include <windows.h>
#include <commctrl.h>

#include "console_tool.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------- output

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                        nullptr);
    return result;
}

// Written straight to the handle: the harness reads bytes from a pipe, and the
// C runtime's text mode would translate them.
std::string Escaped(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\n')
            out += L"\\n";
        else if (c == L'\r')
            continue;
        else if (c == L'\\')
            out += L"\\\\";
        else
            out += c;
    }
    return Utf8(out);
}

std::string Hex(const void* handle)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(handle)));
    return buffer;
}

std::string RectText(const RECT& rect)
{
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%ld,%ld,%ld,%ld", rect.left, rect.top, rect.right, rect.bottom);
    return buffer;
}

// ---------------------------------------------------------------- windows

std::wstring ClassOf(HWND window)
{
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    return name;
}

// The title as the window manager keeps it: never blocks on a hung window.
std::wstring TitleOf(HWND window)
{
    wchar_t title[512] = L"";
    InternalGetWindowText(window, title, 512);
    return title;
}

// The text a control shows; an edit keeps it to itself, so ask it.
std::wstring TextOf(HWND window)
{
    wchar_t text[1024] = L"";
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                             &ignored))
        InternalGetWindowText(window, text, 1024);
    return text;
}

std::string WindowLine(const char* kind, HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return std::string(kind) + " hwnd=" + Hex(window) + " owner=" + Hex(GetWindow(window, GW_OWNER)) +
           " pid=" + std::to_string(pid) +
           " visible=" + (IsWindowVisible(window) ? "1" : "0") + " iconic=" + (IsIconic(window) ? "1" : "0") +
           " enabled=" + (IsWindowEnabled(window) ? "1" : "0") + " rect=" + RectText(rect) +
           " class=" + Escaped(ClassOf(window)) + " title=" + Escaped(TitleOf(window));
}

struct Selector {
    std::wstring title;
    std::wstring className;
    bool visibleOnly = true;

    bool Matches(HWND window) const
    {
        if (visibleOnly && !IsWindowVisible(window))
            return false;
        if (!className.empty() && ClassOf(window) != className)
            return false;
        if (!title.empty() && TitleOf(window) != title)
            return false;
        return true;
    }
};

std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> Descendants(HWND parent)
{
    std::vector<HWND> windows;
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM found) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND FindTopLevel(const Selector& selector)
{
    for (HWND window : TopLevelWindows()) {
        if (selector.Matches(window))
            return window;
    }
    return nullptr;
}

// Polls for a window until the deadline; the harness gives generous ones.
HWND WaitForTopLevel(const Selector& selector, DWORD waitMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = FindTopLevel(selector))
            return window;
        if (GetTickCount() - start >= waitMs)
            return nullptr;
        Sleep(50);
    }
}

HWND FindControl(HWND top, int id)
{
    for (HWND child : Descendants(top)) {
        if (GetDlgCtrlID(child) == id)
            return child;
    }
    return nullptr;
}

HWND MainWindow()
{
    Selector selector;
    selector.className = L"PrtClass";
    selector.visibleOnly = false;
    return FindTopLevel(selector);
}

// ------------------------------------------------- memory in another process

// Messages of the common controls whose parameter points at a structure need
// that structure in the receiver's address space (the system carries only
// its own controls' structures across).
class RemoteBuffer {
public:
    RemoteBuffer(HWND owner, SIZE_T size) : size_(size)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(owner, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_ != nullptr)
            address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer()
    {
        if (address_ != nullptr)
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_ != nullptr)
            CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Valid() const { return address_ != nullptr; }
    LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
    bool Read(void* into) const { return ReadProcessMemory(process_, address_, into, size_, nullptr) != FALSE; }
    bool Write(const void* from) const
    {
        return WriteProcessMemory(process_, address_, from, size_, nullptr) != FALSE;
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    SIZE_T size_;
};

// ---------------------------------------------------------------- arguments

Selector WindowSelector(const Arguments& args)
{
    Selector selector;
    selector.title = args.Value(L"--title");
    selector.className = args.Value(L"--class");
    selector.visibleOnly = !args.Has(L"--hidden-too");
    return selector;
}

// ---------------------------------------------------------------- commands

// The window that has the user's attention (the foreground window).
int Foreground(const Arguments&)
{
    HWND window = GetForegroundWindow();
    if (window == nullptr)
        return 1;
    Print(WindowLine("foreground", window));
    return 0;
}

int ListWindows(const Arguments&)
{
    for (HWND window : TopLevelWindows())
        Print(WindowLine("window", window));
    return 0;
}

int Find(const Arguments& args)
{
    Selector selector = WindowSelector(args);
    DWORD waitMs = static_cast<DWORD>(args.Number(L"--wait", 0));
    if (args.Has(L"--gone")) {
        DWORD start = GetTickCount();
        while (FindTopLevel(selector) != nullptr) {
            if (GetTickCount() - start >= waitMs)
                return 1;
            Sleep(50);
        }
        Print("gone");
        return 0;
    }
    HWND window = WaitForTopLevel(selector, waitMs);
    if (window == nullptr)
        return 1;
    Print(WindowLine("window", window));
    return 0;
}

std::string ControlLine(HWND control)
{
    RECT rect = {};
    GetWindowRect(control, &rect);
    return "control id=" + std::to_string(GetDlgCtrlID(control)) + " hwnd=" + Hex(control) +
           " visible=" + (IsWindowVisible(control) ? "1" : "0") + " rect=" + RectText(rect) +
           " class=" + Escaped(ClassOf(control)) + " text=" + Escaped(TextOf(control));
}

// Every control of a window (all descendants), or the one with --id.
int Controls(const Arguments& args)
{
    HWND top = WaitForTopLevel(WindowSelector(args), static_cast<DWORD>(args.Number(L"--wait", 0)));
    if (top == nullptr)
        return 1;
    Print(WindowLine("window", top));
    long id = args.Number(L"--id", -1);
    bool found = false;
    for (HWND child : Descendants(top)) {
        if (id != -1 && GetDlgCtrlID(child) != id)
            continue;
        Print(ControlLine(child));
        found = true;
    }
    return id == -1 || found ? 0 : 1;
}

int ComboItems(const Arguments& args)
{
    HWND top = WaitForTopLevel(WindowSelector(args), static_cast<DWORD>(args.Number(L"--wait", 0)));
    HWND combo = top != nullptr ? FindControl(top, static_cast<int>(args.Number(L"--id", 0))) : nullptr;
    if (combo == nullptr)
        return 1;
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(std::wcslen(text.c_str()));
        Print("item index=" + std::to_string(i) + " text=" + Escaped(text));
    }
    Print("selected index=" + std::to_string(SendMessageW(combo, CB_GETCURSEL, 0, 0)));
    Print("dropped state=" + std::to_string(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) +
          " itemheight=" + std::to_string(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0)));
    return 0;
}

// The items of a list box (the drop-down list of a combo box is one, of
// class ComboLBox), in screen pixels.
int ListItems(const Arguments& args)
{
    HWND list = WaitForTopLevel(WindowSelector(args), static_cast<DWORD>(args.Number(L"--wait", 0)));
    if (list == nullptr)
        return 1;
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        // The system carries this rectangle between the processes itself.
        RECT item = {};
        if (SendMessageW(list, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item)) == LB_ERR)
            return 1;
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&item), 2);
        LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(std::wcslen(text.c_str()));
        Print("listitem index=" + std::to_string(i) + " rect=" + RectText(item) + " text=" + Escaped(text));
    }
    return 0;
}

// The main window, its client area, its resolution and its close box, in screen
// pixels.
int Main(const Arguments&)
{
    Print("screen width=" + std::to_string(GetSystemMetrics(SM_CXSCREEN)) +
          " height=" + std::to_string(GetSystemMetrics(SM_CYSCREEN)));
    HWND window = MainWindow();
    if (window == nullptr)
        return 1;
    RECT client = {};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    // The title goes last in a window's line.
    std::string line = WindowLine("main", window);
    size_t title = line.find(" class=");
    // The window's own resolution: 96 for a program that is not DPI aware.
    Print(line.substr(0, title) + " client=" + RectText(client) + " dpi=" + std::to_string(GetDpiForWindow(window)) +
          line.substr(title));

    // The close box is wherever the window says it is.
    RECT rect = {};
    GetWindowRect(window, &rect);
    for (int y = rect.top; y < client.top; ++y) {
        for (int x = rect.right - 1; x > rect.right - 80; --x) {
            DWORD_PTR hit = 0;
            if (SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &hit) &&
                hit == HTCLOSE) {
                Print("closebox x=" + std::to_string(x - 4) + " y=" + std::to_string(y + 4));
                return 0;
            }
        }
    }
    return 0;
}

// The items of the statistics window's tab control, in screen pixels.
int Tabs(const Arguments&)
{
    HWND window = MainWindow();
    HWND tabs = window != nullptr ? FindControl(window, 1004) : nullptr;
    if (tabs == nullptr)
        return 1;
    RemoteBuffer buffer(tabs, sizeof(RECT));
    if (!buffer.Valid())
        return 1;
    // A tab's caption: the item record and its text both in Kivora's memory.
    struct CaptionBuffer {
        TCITEMW item;
        wchar_t text[128];
    };
    RemoteBuffer caption(tabs, sizeof(CaptionBuffer));
    if (!caption.Valid())
        return 1;
    LRESULT count = SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        RECT item = {};
        if (!SendMessageW(tabs, TCM_GETITEMRECT, i, buffer.Address()) || !buffer.Read(&item))
            return 1;
        MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&item), 2);
        CaptionBuffer text = {};
        text.item.mask = TCIF_TEXT;
        text.item.pszText = reinterpret_cast<wchar_t*>(caption.Address() + offsetof(CaptionBuffer, text));
        text.item.cchTextMax = 128;
        if (!caption.Write(&text) || !SendMessageW(tabs, TCM_GETITEMW, i, caption.Address()) || !caption.Read(&text))
            return 1;
        text.text[127] = L'\0';
        Print("tab index=" + std::to_string(i) + " rect=" + RectText(item) + " text=" + Escaped(text.text));
    }
    Print("selected index=" + std::to_string(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)));
    return 0;
}

// Moves and sizes a window, so that the harness's Notepad keeps clear of
// Kivora's dialogs, which open in the middle of the screen.
int Move(const Arguments& args)
{
    Selector selector = WindowSelector(args);
    HWND window = WaitForTopLevel(selector, static_cast<DWORD>(args.Number(L"--wait", 0)));
    if (window == nullptr)
        return 1;
    if (!SetWindowPos(window, nullptr, args.Number(L"--x", 0), args.Number(L"--y", 0), args.Number(L"--width", 200),
                      args.Number(L"--height", 200), SWP_NOZORDER | SWP_NOACTIVATE))
        return 1;
    Print(WindowLine("window", window));
    return 0;
}

// The text of the tip that a tooltip window shows now (the notification
// area's tip of the icon under the mouse, or the balloon of a notice, which
// is shown tracked: it has no current tool, only its first).
int Tooltips(const Arguments&)
{
    struct Exchange {
        TTTOOLINFOW info;
        wchar_t text[256];
    };
    for (HWND window : TopLevelWindows()) {
        if (ClassOf(window) != L"tooltips_class32" || !IsWindowVisible(window))
            continue;
        RemoteBuffer buffer(window, sizeof(Exchange));
        if (!buffer.Valid())
            continue;
        Exchange exchange = {};
        exchange.info.cbSize = sizeof exchange.info;
        exchange.info.lpszText = reinterpret_cast<wchar_t*>(buffer.Address() + offsetof(Exchange, text));
        if (!buffer.Write(&exchange))
            continue;
        bool current = SendMessageW(window, TTM_GETCURRENTTOOLW, 0, buffer.Address()) != 0;
        if (!current && !SendMessageW(window, TTM_ENUMTOOLSW, 0, buffer.Address()))
            continue;
        if (!buffer.Read(&exchange))
            continue;
        exchange.text[255] = L'\0';
        RECT rect = {};
        GetWindowRect(window, &rect);
        Print("tooltip rect=" + RectText(rect) + " text=" + Escaped(exchange.text));
    }
    return 0;
}

// Where the items of Kivora's menus lie. Another process's menus cannot be
// asked, so the same menu resource is laid out here, by the same system code
// and fonts: the menu bar in a window of the main window's style, and each
// pop-up shown for a moment. Bar items are relative to the window's top-left
// corner, pop-up items to the pop-up window's.
struct MenuMeasure {
    HMENU popup = nullptr;
    bool measured = false;
};
MenuMeasure Measure;

RECT Relative(RECT rect, const RECT& origin)
{
    OffsetRect(&rect, -origin.left, -origin.top);
    return rect;
}

HWND OwnPopupWindow()
{
    for (HWND window : TopLevelWindows()) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == GetCurrentProcessId() && ClassOf(window) == L"#32768" && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

void MeasureOpenPopup(HWND owner)
{
    if (Measure.measured)
        return;
    HWND popupWindow = OwnPopupWindow();
    if (popupWindow == nullptr)
        return;
    Measure.measured = true;
    RECT size = {};
    GetWindowRect(popupWindow, &size);
    Print("popup size=" + std::to_string(size.right - size.left) + "," + std::to_string(size.bottom - size.top));
    // Wine maps a pop-up item's rectangle, which is relative to the pop-up
    // window, through the client area of the window it is given.
    POINT clientOrigin = {0, 0};
    ClientToScreen(owner, &clientOrigin);
    RECT origin = {clientOrigin.x, clientOrigin.y, clientOrigin.x, clientOrigin.y};
    int count = GetMenuItemCount(Measure.popup);
    for (int i = 0; i < count; ++i) {
        RECT item = {};
        GetMenuItemRect(owner, Measure.popup, static_cast<UINT>(i), &item);
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE;
        GetMenuItemInfoW(Measure.popup, static_cast<UINT>(i), TRUE, &info);
        Print("popupitem index=" + std::to_string(i) + " id=" + std::to_string(info.wID) +
              " separator=" + ((info.fType & MFT_SEPARATOR) ? "1" : "0") + " rect=" + RectText(Relative(item, origin)));
    }
    EndMenu();
}

LRESULT CALLBACK MeasureWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ENTERIDLE || (message == WM_TIMER && wParam == 1))
        MeasureOpenPopup(window);
    return DefWindowProcW(window, message, wParam, lParam);
}

void MeasurePopup(HWND owner, HMENU popup, const char* label)
{
    Print(std::string("popup menu=") + label);
    Measure = {};
    Measure.popup = popup;
    SetTimer(owner, 1, 200, nullptr);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY, 100, 100, 0, owner, nullptr);
    KillTimer(owner, 1);
}

int MenuLayout(const Arguments& args)
{
    HMODULE program = LoadLibraryExW(args.Value(L"--exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (program == nullptr)
        return 1;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = MeasureWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KvdriverMenus";
    RegisterClassW(&windowClass);

    HMENU bar = LoadMenuW(program, MAKEINTRESOURCEW(args.Number(L"--bar", 101)));
    HMENU tray = LoadMenuW(program, MAKEINTRESOURCEW(args.Number(L"--tray", 112)));
    if (bar == nullptr || tray == nullptr)
        return 1;
    HWND window = CreateWindowExW(0, L"KvdriverMenus", L"kvdriver", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  0, 0, 500, 500, nullptr, bar, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr)
        return 1;
    RECT origin = {};
    GetWindowRect(window, &origin);
    int count = GetMenuItemCount(bar);
    for (int i = 0; i < count; ++i) {
        RECT item = {};
        GetMenuItemRect(window, bar, static_cast<UINT>(i), &item);
        Print("baritem index=" + std::to_string(i) + " rect=" + RectText(Relative(item, origin)));
    }
    for (int i = 0; i < count; ++i)
        MeasurePopup(window, GetSubMenu(bar, i), ("bar" + std::to_string(i)).c_str());
    MeasurePopup(window, GetSubMenu(tray, 0), "tray");
    DestroyWindow(window);
    return 0;
}

int Post(const Arguments& args)
{
    std::wstring registered = args.Value(L"--registered");
    UINT message = registered.empty() ? static_cast<UINT>(args.Number(L"--msg", 0))
                                      : RegisterWindowMessageW(registered.c_str());
    WPARAM wParam = static_cast<WPARAM>(args.Number(L"--wparam", 0));
    LPARAM lParam = static_cast<LPARAM>(args.Number(L"--lparam", 0));
    HWND target = HWND_BROADCAST;
    if (!args.Has(L"--broadcast")) {
        Selector selector = WindowSelector(args);
        selector.visibleOnly = false;
        target = FindTopLevel(selector);
        if (target == nullptr)
            return 1;
    }
    if (!PostMessageW(target, message, wParam, lParam))
        return 1;
    Print("posted msg=" + std::to_string(message));
    return 0;
}

// Runs a program and waits for it: the only way to learn a GUI program's
// exit code from a desktop that explorer started.
int Run(const Arguments& args, const std::wstring& commandLine)
{
    std::wstring exitFile = args.Value(L"--exit-file");
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 1;
    Print("started pid=" + std::to_string(process.dwProcessId));
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::string text = "exit code=" + std::to_string(code);
    Print(text);
    if (!exitFile.empty()) {
        // Written whole under another name first, so the harness never reads half.
        std::wstring partial = exitFile + L".part";
        HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            text += "\n";
            DWORD written = 0;
            WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
            CloseHandle(file);
            MoveFileExW(partial.c_str(), exitFile.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
    }
    return 0;
}

// Ends the processes that own the matching windows (with --apps: every
// program on this desktop but its shell), and waits until they are gone. The
// harness ends only what it started there: Kivora, Notepad, wineboot.
int End(const Arguments& args)
{
    Selector selector = WindowSelector(args);
    selector.visibleOnly = false;
    bool apps = args.Has(L"--apps");
    DWORD shell = 0;
    if (apps) {
        Selector tray;
        tray.className = L"Shell_TrayWnd";
        tray.visibleOnly = false;
        if (HWND window = FindTopLevel(tray))
            GetWindowThreadProcessId(window, &shell);
    }
    std::vector<DWORD> seen;
    for (HWND window : TopLevelWindows()) {
        if (!apps && !selector.Matches(window))
            continue;
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        bool again = false;
        for (DWORD done : seen)
            again = again || done == pid;
        if (again || pid == GetCurrentProcessId() || (apps && (pid == shell || shell == 0)))
            continue;
        seen.push_back(pid);
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (process == nullptr)
            continue;
        TerminateProcess(process, 9);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
        Print("ended pid=" + std::to_string(pid));
    }
    return 0;
}

// Opens a file as a spreadsheet holds one it shows (read, others may only
// read), so that nobody can replace it, until the flag file is gone.
int Hold(const Arguments& args)
{
    std::wstring path = args.Value(L"--file");
    std::wstring flag = args.Value(L"--while");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    Print("holding");
    while (GetFileAttributesW(flag.c_str()) != INVALID_FILE_ATTRIBUTES)
        Sleep(100);
    CloseHandle(file);
    Print("released");
    return 0;
}

// The command line after the word "run" and its options, as it was given.
std::wstring CommandAfterRun(const wchar_t* whole)
{
    const wchar_t* marker = std::wcsstr(whole, L" -- ");
    return marker != nullptr ? std::wstring(marker + 4) : std::wstring();
}

int Dispatch(const std::wstring& command, const Arguments& args)
{
    if (command == L"list")
        return ListWindows(args);
    if (command == L"find")
        return Find(args);
    if (command == L"foreground")
        return Foreground(args);
    if (command == L"controls")
        return Controls(args);
    if (command == L"combo")
        return ComboItems(args);
    if (command == L"listbox")
        return ListItems(args);
    if (command == L"main")
        return Main(args);
    if (command == L"tabs")
        return Tabs(args);
    if (command == L"tooltips")
        return Tooltips(args);
    if (command == L"menu-layout")
        return MenuLayout(args);
    if (command == L"move")
        return Move(args);
    if (command == L"post")
        return Post(args);
    if (command == L"run")
        return Run(args, CommandAfterRun(GetCommandLineW()));
    if (command == L"end")
        return End(args);
    if (command == L"hold")
        return Hold(args);
    Print("usage: kvdriver list|find|foreground|controls|combo|listbox|main|tabs|tooltips|menu-layout|move|post|run|"
          "end|hold");
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // Kivora is DPI aware: so must its eyes be, or at more than 96 dpi the
    // system would scale every rectangle they report to 96 dpi.
    SetProcessDPIAware();
    return RunConsoleTool(argc, argv, Dispatch);
}
