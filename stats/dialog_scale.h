#pragma once
// The statistics window's dialogs laid out at a scale of their own. The
// dialog manager makes a template's font, and with it every dialog unit, for
// the scale it assumes: the system's under Wine and before Windows 10, the
// window's on Windows 10 and 11. A template whose point size is scaled by
// wanted over assumed comes out at the wanted scale either way.
#include <windows.h>

HWND CreateDialogAtDpi(HINSTANCE instance, int templateId, HWND parent, DLGPROC procedure, LPARAM parameter,
                       UINT dpi);
