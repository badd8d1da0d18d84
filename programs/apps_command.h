#pragma once
// Kivora.exe /apps USER FILE.csv [today|7|30|all|FROM..TO]: the strokes per
// program of those days (all when none is named), ranked, with their share;
// Kivora.exe /shortcuts USER FILE.csv [...]: the shortcuts struck, likewise.
#include <string>

// Returns the exit code.
int RunAppsCommand(const wchar_t* user, const std::wstring& file, const wchar_t* periodWord);
int RunShortcutsCommand(const wchar_t* user, const std::wstring& file, const wchar_t* periodWord);
