#pragma once
// Kivora's own files, which a picture or an export must never replace: the
// settings file and everything in the data folder (data files, histories,
// their backups and pending days, and whatever else a version keeps there).
#include <windows.h>

#include <string>

// True when path (relative to the current folder, or full) names one of
// them, however it is spelled: another drive letter for the same folder
// (Wine's Z:), \\?\, short names, a subst drive, a junction. They are
// recognised by identity (volume serial and file index): an existing file
// that is the settings file or a file of the data folder, or a path whose
// folder, or a folder above it, is the data folder; and a settings file not
// made yet by its name in the application folder. Reads AppFolder and
// SettingsPath as they stand.
bool IsKivoraOwnFile(const std::wstring& path);

// After a Save As: true, having told the user in a box owned by owner, when
// the chosen path (code page 932) is one of them.
bool RefuseKivoraOwnFile(HWND owner, const char* path);
