#pragma once
// The shell shared by the reference programs: one window of its own class and
// a message loop, until the window is sent WM_CLOSE.
#include <windows.h>

inline void (*OnClose)() = nullptr;

inline LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        if (OnClose != nullptr)
            OnClose();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

inline int RunHiddenWindow(HINSTANCE instance, const char* className, const char* title)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HiddenWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    CreateWindowA(className, title, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, instance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
