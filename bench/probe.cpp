// The benchmarks' instrument inside the Wine desktop: it reads the clock that
// Windows programs see, watches a piece of the screen for a repaint, asks the
// running programs to write their counts out, and times how long programs take
// to show their first window. Like the end-to-end driver it must run in the
// same Wine desktop as the programs it looks at.
//
// Results are printed on stdout, one line each, "kind key=value ..."; the last
// line is "status code=N" (0: done, 1: not found or timed out, 2: bad usage).
// Times are QueryPerformanceCounter values (see "clock" for the frequency).
#include <windows.h>

#include "console_tool.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

long long Now()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

long long Frequency()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

double Milliseconds(long long ticks) { return 1000.0 * static_cast<double>(ticks) / static_cast<double>(Frequency()); }

// ------------------------------------------------------------------- clock

// The counter's frequency and a few readings, for the harness to lay beside
// its own clock.
int Clock(const Arguments& args)
{
    Print("frequency value=" + std::to_string(Frequency()));
    long samples = args.Number(L"--samples", 20);
    DWORD interval = static_cast<DWORD>(args.Number(L"--interval", 50));
    for (long i = 0; i < samples; ++i) {
        Print("qpc value=" + std::to_string(Now()));
        Sleep(interval);
    }
    return 0;
}

// ------------------------------------------------------------------- watch

// Key releases seen by a low-level hook: it does not touch the asynchronous
// key state, so Kivora's "pressed since the last query" bit stays its own.
// The hook runs on a thread that does nothing else, so that the keyboard is
// never held up waiting for the screen grabs of the main thread.
DWORD WatchedKey = 0;
HANDLE HookReady = nullptr;

LRESULT CALLBACK KeyUpHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && (wParam == WM_KEYUP || wParam == WM_SYSKEYUP)) {
        long long at = Now();
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (key->vkCode == WatchedKey)
            Print("up qpc=" + std::to_string(at));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI HookThread(LPVOID)
{
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyUpHook, GetModuleHandleW(nullptr), 0);
    SetEvent(HookReady);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    if (hook != nullptr)
        UnhookWindowsHookEx(hook);
    return 0;
}

// A rectangle of the screen copied into memory of our own.
class ScreenGrab {
public:
    ScreenGrab(const RECT& area) : area_(area)
    {
        screen_ = GetDC(nullptr);
        memory_ = CreateCompatibleDC(screen_);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = Width();
        info.bmiHeader.biHeight = -Height();   // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap_ = CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        previous_ = SelectObject(memory_, bitmap_);
    }
    ~ScreenGrab()
    {
        SelectObject(memory_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(memory_);
        ReleaseDC(nullptr, screen_);
    }
    ScreenGrab(const ScreenGrab&) = delete;
    ScreenGrab& operator=(const ScreenGrab&) = delete;

    bool Valid() const { return bits_ != nullptr; }
    size_t Size() const { return static_cast<size_t>(Width()) * static_cast<size_t>(Height()) * 4; }

    // Copies the screen's pixels now; false when they could not be read.
    bool Take(std::vector<unsigned char>& into)
    {
        if (!BitBlt(memory_, 0, 0, Width(), Height(), screen_, area_.left, area_.top, SRCCOPY))
            return false;
        GdiFlush();
        const auto* bytes = static_cast<const unsigned char*>(bits_);
        into.assign(bytes, bytes + Size());
        return true;
    }

private:
    int Width() const { return area_.right - area_.left; }
    int Height() const { return area_.bottom - area_.top; }

    RECT area_;
    HDC screen_ = nullptr;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
};

size_t DifferingPixels(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    size_t count = 0;
    for (size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4)
        count += std::memcmp(&a[i], &b[i], 3) != 0 ? 1 : 0;
    return count;
}

// FNV-1a of the pixels.
std::string Hash(const std::vector<unsigned char>& bytes)
{
    unsigned long long hash = 14695981039346656037ull;
    for (unsigned char byte : bytes)
        hash = (hash ^ byte) * 1099511628211ull;
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", hash);
    return text;
}

// Watches a rectangle of the screen (desktop pixels) and reports each change
// of its pixels ("paint"), and each release of one key ("up"). Ends after
// --changes changes, or when nothing has changed for --idle ms.
int Watch(const Arguments& args)
{
    RECT area = {};
    if (std::swscanf(args.Value(L"--rect").c_str(), L"%ld,%ld,%ld,%ld", &area.left, &area.top, &area.right,
                     &area.bottom) != 4 ||
        area.right <= area.left || area.bottom <= area.top)
        return 2;
    WatchedKey = static_cast<DWORD>(args.Number(L"--vk", 0));
    long changesWanted = args.Number(L"--changes", 1000);
    long long idleTicks = Frequency() * args.Number(L"--idle", 5000) / 1000;

    HookReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD hookThreadId = 0;
    HANDLE hookThread = CreateThread(nullptr, 0, HookThread, nullptr, 0, &hookThreadId);
    WaitForSingleObject(HookReady, 5000);

    ScreenGrab grab(area);
    std::vector<unsigned char> before, now;
    if (!grab.Valid() || !grab.Take(before))
        return 1;
    Print("ready qpc=" + std::to_string(Now()));

    long changes = 0;
    long grabs = 0;
    long long grabTicks = 0;
    long long lastEvent = Now();
    int status = 0;
    while (changes < changesWanted) {
        long long start = Now();
        if (!grab.Take(now)) {
            status = 1;
            break;
        }
        long long end = Now();
        ++grabs;
        grabTicks += end - start;
        if (now != before) {
            // A paint can reach the screen in more than one piece (the cleared
            // band, then the figure): the hash tells the harness which change
            // shows the finished picture. The change happened between the
            // previous grab's end and this grab's start.
            Print("paint qpc=" + std::to_string(start) + " end=" + std::to_string(end) +
                  " changed=" + std::to_string(DifferingPixels(before, now)) + " hash=" + Hash(now));
            before.swap(now);
            ++changes;
            lastEvent = end;
        } else if (end - lastEvent > idleTicks) {
            break;
        }
        Sleep(1);
    }
    char summary[120];
    std::snprintf(summary, sizeof summary, "grabs count=%ld mean_ms=%.3f", grabs,
                  grabs > 0 ? Milliseconds(grabTicks) / static_cast<double>(grabs) : 0.0);
    Print(summary);
    PostThreadMessageW(hookThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(hookThread, 2000);
    CloseHandle(hookThread);
    CloseHandle(HookReady);
    return status;
}

// ---------------------------------------------------------------- snapshot

HWND FindWindowOfClass(const std::wstring& name) { return FindWindowW(name.c_str(), nullptr); }

// Has Kivora save its counts (the save it does at the end of a session) and
// the hook counter write its counts, and returns once both files are written.
int Snapshot(const Arguments& args)
{
    struct Target {
        const wchar_t* option;
        UINT message;
        WPARAM wParam;
    };
    const Target targets[] = {{L"--save", WM_ENDSESSION, TRUE}, {L"--dump", WM_APP, 0}};
    int status = 0;
    for (const Target& target : targets) {
        std::wstring className = args.Value(target.option);
        if (className.empty())
            continue;
        HWND window = FindWindowOfClass(className);
        DWORD_PTR result = 0;
        bool sent = window != nullptr &&
                    SendMessageTimeoutW(window, target.message, target.wParam, 0, SMTO_ABORTIFHUNG, 10000, &result);
        Print(std::string("sent option=") + (target.message == WM_APP ? "dump" : "save") + " ok=" +
              (sent ? "1" : "0"));
        if (!sent)
            status = 1;
    }
    return status;
}

// ----------------------------------------------------------------- startup

struct ProcessWindows {
    DWORD pid;
    bool shown;
};

// A window that a person would see: visible and not minimised (Kivora's
// main window passes through the minimised state on its way to hidden).
BOOL CALLBACK FindShownWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<ProcessWindows*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && IsWindowVisible(window) && !IsIconic(window)) {
        search->shown = true;
        return FALSE;
    }
    return TRUE;
}

// Starts a program and returns the time until it shows a window, in
// milliseconds, or a negative value. The program is ended afterwards.
double TimeToFirstWindow(std::wstring commandLine, DWORD limitMs)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    long long start = Now();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    double elapsed = -1;
    long long limit = Frequency() * limitMs / 1000;
    for (;;) {
        ProcessWindows search = {process.dwProcessId, false};
        EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&search));
        long long now = Now();
        if (search.shown) {
            elapsed = Milliseconds(now - start);
            break;
        }
        if (now - start > limit || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0)
            break;
        Sleep(1);
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

// Launches Kivora (to its login dialog) and the baseline (told to show its
// window) in turn, --runs times each, from the current directory.
int Startup(const Arguments& args)
{
    struct Program {
        const char* name;
        std::wstring commandLine;
    };
    const Program programs[] = {
        {"kivora", L"\"" + args.Value(L"--kivora") + L"\""},
        {"baseline", L"\"" + args.Value(L"--baseline") + L"\" show"},
    };
    long runs = args.Number(L"--runs", 10);
    DWORD pauseMs = static_cast<DWORD>(args.Number(L"--pause", 300));
    int status = 0;
    for (long run = 0; run < runs; ++run) {
        for (const Program& program : programs) {
            double ms = TimeToFirstWindow(program.commandLine, 20000);
            char line[120];
            std::snprintf(line, sizeof line, "startup program=%s run=%ld ms=%.3f", program.name, run, ms);
            Print(line);
            if (ms < 0)
                status = 1;
            // Let the ended process's mutex and windows go before the next one.
            Sleep(pauseMs);
        }
    }
    return status;
}

// ------------------------------------------------------------------- calls

// What one question of a polling pass costs in this process: --count calls
// in each of --batches batches, the median batch per call. A key that is up
// is asked for again and again, as a quiet pass would.
template <typename Call>
double NanosecondsPerCall(long count, long batches, Call call)
{
    std::vector<double> perCall;
    for (long batch = 0; batch < batches; ++batch) {
        long long start = Now();
        for (long i = 0; i < count; ++i)
            call();
        perCall.push_back(1e6 * Milliseconds(Now() - start) / static_cast<double>(count));
    }
    std::sort(perCall.begin(), perCall.end());
    return perCall[perCall.size() / 2];
}

int Calls(const Arguments& args)
{
    long count = args.Number(L"--count", 20000);
    long batches = args.Number(L"--batches", 7);
    volatile long sink = 0;
    struct Measured {
        const char* name;
        double ns;
    } rows[] = {
        {"GetAsyncKeyState", NanosecondsPerCall(count, batches, [&] { sink = sink + GetAsyncKeyState(VK_F13); })},
        {"GetKeyState", NanosecondsPerCall(count, batches, [&] { sink = sink + GetKeyState(VK_CAPITAL); })},
        {"GetLastInputInfo", NanosecondsPerCall(count, batches, [&] {
             LASTINPUTINFO info = {sizeof info, 0};
             GetLastInputInfo(&info);
             sink = sink + static_cast<long>(info.dwTime);
         })},
    };
    for (const Measured& row : rows) {
        char line[120];
        std::snprintf(line, sizeof line, "call name=%s ns=%.1f", row.name, row.ns);
        Print(line);
    }
    return 0;
}

int Dispatch(const std::wstring& command, const Arguments& args)
{
    if (command == L"calls")
        return Calls(args);
    if (command == L"clock")
        return Clock(args);
    if (command == L"watch")
        return Watch(args);
    if (command == L"snapshot")
        return Snapshot(args);
    if (command == L"startup")
        return Startup(args);
    Print("usage: probe clock|watch|snapshot|startup|calls");
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    return RunConsoleTool(argc, argv, Dispatch);
}
