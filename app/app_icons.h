#pragma once
// Kivora's icons at the sizes the shell draws them, each taken from the image
// of that size in its icon (or the next larger one, scaled down): the
// notification area's, the balloons', the title bar's and the taskbar's.
#include <windows.h>

// The notification area's: the small icon of the system's scale.
HICON LoadTrayIcon(HINSTANCE instance, int iconId);
// A balloon's: the large icon of the system's scale.
HICON LoadBalloonIcon(HINSTANCE instance);

// Remembers where "icon6.ico" is: the window's large icon, read from the
// current directory at start.
void NoteWindowIconFile();
// The title bar's icon (icon 135) and the large one of the taskbar and the
// task switcher ("icon6.ico"), at their sizes at dpi. An icon that cannot be
// read leaves the window the class's.
void SetWindowIcons(HWND window, UINT dpi);
