#pragma once
// The system calls whose failure the program must live through, called
// through these pointers so that the tests can make them fail.
#include <windows.h>
#include <shellapi.h>

struct PlatformCalls {
    BOOL(WINAPI* notifyIcon)(DWORD, PNOTIFYICONDATAA) = Shell_NotifyIconA;
    UINT_PTR(WINAPI* setTimer)(HWND, UINT_PTR, UINT, TIMERPROC) = SetTimer;
    BOOL(WINAPI* killTimer)(HWND, UINT_PTR) = KillTimer;
    HANDLE(WINAPI* createThread)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                                 LPDWORD) = CreateThread;
};
extern PlatformCalls Platform;
