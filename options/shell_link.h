#pragma once
// Shell shortcuts (.lnk): the Startup folder, creating a shortcut, reading
// the target of one.
#include <windows.h>

#include "win/app_folder.h"

// The path of a shell folder (callers pass CSIDL_STARTUP), without a trailing
// backslash. Left empty when the folder has no path that fits.
void GetShellFolderPath(HWND owner, int folderId, char (&path)[PathCapacity]);

// Creates (or replaces) the shortcut at shortcutPath pointing to targetPath,
// with AppFolder as its working folder. Initialises COM itself. Returns 1, or
// 0 after the message "ショートカット作成失敗" in a box owned by owner (the
// Options dialog, which is thereby disabled until it is answered).
int CreateShortcut(const char* shortcutPath, const char* targetPath, HWND owner);

// Reads the target path of a shortcut into target[size]. The caller
// initialises COM. On failure target is left as it was.
HRESULT ReadShortcutTarget(const char* shortcutPath, char* target, int size, WIN32_FIND_DATAA* findData);
