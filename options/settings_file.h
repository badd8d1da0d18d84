#pragma once
// The options as the settings file "set.ini" records them: start at logon
// ([setup] AUTOSTART and STARTUP, and the Startup shortcut) and the strokes
// per program ([setup] APPS).
#include <windows.h>

#include <atomic>

#include "win/app_folder.h"

// AppFolder + "\" + "set.ini".
extern char SettingsPath[PathCapacity];
// 1 when Kivora runs at logon, as worked out at the last opening of the login
// dialog or set by the last OK in the Options dialog.
extern LONG AutoStart;
// The executable that OK last placed in the Startup shortcut during this run.
extern char StartupTarget[PathCapacity];

// True while the strokes per program are recorded: APPS=1 in the settings
// file, read at every opening of the login dialog and set by OK in the
// Options dialog. Read by the polling thread.
extern std::atomic<bool> RecordPrograms;
// RecordPrograms from the settings file; a missing key (or file) is off.
void ReadProgramsSetting();
// Writes RecordPrograms as APPS (after the other keys in a new file).
void WriteProgramsSetting();

// Works the option out afresh: 1 when STARTUP in the settings file names the
// target of the Startup shortcut (compared without regard to case), else 0;
// writes it to AUTOSTART.
void LineUpAutoStart();

// Writes AUTOSTART and STARTUP to the settings file (always through the
// profile-string functions, which create file, section and keys as needed).
void WriteSettings(LONG autoStart, const char* startupTarget);

// "<Startup folder>\Kivora.lnk"; false (and empty) when it would not fit.
bool StartupShortcutPath(HWND owner, char (&path)[PathCapacity]);
