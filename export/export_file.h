#pragma once
// The export table (key,total,today,last7,last30) written to a file the user
// names: from the window's File menu, and from the command line.
#include <windows.h>

#include <string>

// The Save As dialog, then the file; a failure is told in a box owned by
// owner, and nothing else changes.
void ExportFromWindow(HWND owner);

// Kivora.exe /export USER FILE; returns the exit code.
int RunExportCommand(const wchar_t* user, const std::wstring& file);
