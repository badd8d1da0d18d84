#pragma once
// The shell shared by the reference programs: one window of its own class and
// a message loop, until the window is sent WM_CLOSE. The window stays hidden
// unless the command line asks to "show" it (to time the first window).
#include <windows.h>

#include <cstring>

inline void (*OnClose)() = nullptr;
inline void (*OnAppMessage)() = nullptr;

inline LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        if (OnClose != nullptr)
            OnClose();
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_APP && OnAppMessage != nullptr) {
        OnAppMessage();
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

inline int RunHiddenWindow(HINSTANCE instance, const char* className, const char* title, const char* commandLine)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HiddenWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA(className, title, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, instance,
                                nullptr);
    if (commandLine != nullptr && std::strstr(commandLine, "show") != nullptr)
        ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
