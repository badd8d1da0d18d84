#pragma once
// The one option, start at logon, as the settings file "set.ini" ([setup]
// AUTOSTART and STARTUP) and the Startup shortcut record it.
#include <windows.h>

#include "win/app_folder.h"

// AppFolder + "\" + "set.ini".
extern char SettingsPath[PathCapacity];
// 1 when Kivora runs at logon, as worked out at the last opening of the login
// dialog or set by the last OK in the Options dialog.
extern LONG AutoStart;
// The executable that OK last placed in the Startup shortcut during this run.
extern char StartupTarget[PathCapacity];

// Works the option out afresh: 1 when STARTUP in the settings file names the
// target of the Startup shortcut (compared without regard to case), else 0;
// writes it to AUTOSTART.
void LineUpAutoStart();

// Writes AUTOSTART and STARTUP to the settings file (always through the
// profile-string functions, which create file, section and keys as needed).
void WriteSettings(LONG autoStart, const char* startupTarget);

// "<Startup folder>\Kivora.lnk"; false (and empty) when it would not fit.
bool StartupShortcutPath(HWND owner, char (&path)[PathCapacity]);
