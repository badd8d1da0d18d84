// The technique most keystroke counters use: a low-level keyboard hook that
// counts key-up events per virtual key. Sent WM_APP, and when closed with
// WM_CLOSE, it writes in its current directory "hook_counts.txt", one line
// "<vk> <count>" per key counted since it started, and "hook_dwells.txt", one
// line "<vk> <microseconds>" per stroke since the last write: how long each
// key was held as the hook saw it, which shows whether the strokes reached
// Wine with the timing they were sent with.
#include <cstdio>

#include "hidden_window.h"

namespace {

long KeyUps[256];
long long DownAt[256];   // counter value of the first key-down, 0 while up

struct Dwell {
    int key;
    long long ticks;
};
// Fixed storage: the hook never allocates. Strokes beyond it go unrecorded.
Dwell Dwells[16384];
int DwellCount = 0;

long long Now()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        DWORD vk = key->vkCode & 0xFF;
        if (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) {
            // Auto-repeat sends more downs: the stroke began at the first.
            if (DownAt[vk] == 0)
                DownAt[vk] = Now();
        } else if (wParam == WM_KEYUP || wParam == WM_SYSKEYUP) {
            ++KeyUps[vk];
            if (DownAt[vk] != 0 && DwellCount < static_cast<int>(sizeof Dwells / sizeof Dwells[0]))
                Dwells[DwellCount++] = {static_cast<int>(vk), Now() - DownAt[vk]};
            DownAt[vk] = 0;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs on the hook's own thread (the window's), so the hook never races it.
void WriteCounts()
{
    if (FILE* out = std::fopen("hook_counts.txt", "w")) {
        for (int key = 0; key < 256; ++key) {
            if (KeyUps[key] != 0)
                std::fprintf(out, "%d %ld\n", key, KeyUps[key]);
        }
        std::fclose(out);
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    if (FILE* out = std::fopen("hook_dwells.txt", "w")) {
        for (int i = 0; i < DwellCount; ++i)
            std::fprintf(out, "%d %lld\n", Dwells[i].key, Dwells[i].ticks * 1000000 / frequency.QuadPart);
        std::fclose(out);
    }
    DwellCount = 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHook, instance, 0);
    OnClose = WriteCounts;
    OnAppMessage = WriteCounts;
    int result = RunHiddenWindow(instance, "KivoraBenchHookCounter", "hook counter", commandLine);
    UnhookWindowsHookEx(hook);
    return result;
}
