#pragma once
// The scale of the screen in dots per inch: 96 at 100 %, 144 at 150 %.
// Windows 10 (1607 and later) gives each monitor its own; Windows 7 to 8.1
// and Wine give every window the system's, the scale at log-on.
#include <windows.h>

constexpr UINT DefaultDpi = 96;

UINT SystemDpi();
// The scale of the monitor the window is on, as Windows last told it.
UINT WindowDpi(HWND window);
// A system metric (SM_CXSMICON, SM_CXICON, ...) as it is at dpi.
int MetricForDpi(int index, UINT dpi);
