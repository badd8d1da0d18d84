// The technique most keystroke counters use: a low-level keyboard hook that
// counts key-up events per virtual key. Closed with WM_CLOSE, it writes
// "hook_counts.txt" in its current directory: one line "<vk> <count>" per key
// that was counted.
#include <cstdio>

#include "hidden_window.h"

namespace {

long KeyUps[256];

LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && (wParam == WM_KEYUP || wParam == WM_SYSKEYUP)) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        ++KeyUps[key->vkCode & 0xFF];
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void WriteCounts()
{
    FILE* out = std::fopen("hook_counts.txt", "w");
    if (out == nullptr)
        return;
    for (int key = 0; key < 256; ++key) {
        if (KeyUps[key] != 0)
            std::fprintf(out, "%d %ld\n", key, KeyUps[key]);
    }
    std::fclose(out);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHook, instance, 0);
    OnClose = WriteCounts;
    int result = RunHiddenWindow(instance, "KivoraBenchHookCounter", "hook counter");
    UnhookWindowsHookEx(hook);
    return result;
}
