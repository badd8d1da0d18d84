#pragma once
// Kivora.exe /heatmap USER FILE.png [all|today|7|30|FROM..TO]: the key map of
// a user's counts over a period, or over the days FROM to TO (YYYY-MM-DD,
// both included, as the keyboard tab's 指定した期間 adds them up), as a PNG
// file. Returns the exit code.
#include <string>

int RunHeatmapCommand(const wchar_t* user, const std::wstring& file, const wchar_t* periodWord);
