#pragma once
// Kivora's own files, which a picture or an export must never replace: the
// settings file and everything in the data folder (data files, histories,
// their backups and pending days).
#include <windows.h>

#include <string>

// True when path (relative to the current folder, or full) names one of
// them, by its folder and name in any letter case or short form, or, for a
// file that exists, by being the same file as the user's data file, history
// or settings file. Reads AppFolder, SettingsPath and DataFilePath as they
// stand.
bool IsKivoraOwnFile(const std::wstring& path);

// After a Save As: true, having told the user in a box owned by owner, when
// the chosen path (code page 932) is one of them.
bool RefuseKivoraOwnFile(HWND owner, const char* path);
