#pragma once
#include <windows.h>

// The key polling thread: a scan pass every 20 ms while RunFlag is non-zero,
// then the new-user registration check. The parameter is ignored.
DWORD WINAPI KeyPollThread(LPVOID unused);
