// The floor that any 20 ms poller pays: one hidden window and a thread that
// does nothing but sleep 20 ms in a loop. Closed with WM_CLOSE; "show" on the
// command line shows the window.
#include "hidden_window.h"

namespace {

DWORD WINAPI Idle(LPVOID)
{
    for (;;)
        Sleep(20);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    CloseHandle(CreateThread(nullptr, 0, Idle, nullptr, 0, nullptr));
    return RunHiddenWindow(instance, "KivoraBenchBaseline", "baseline", commandLine);
}
