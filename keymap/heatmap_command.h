#pragma once
// Kivora.exe /heatmap USER FILE.png [all|today|7|30]: the key map of a
// user's counts over a period, as a PNG file. Returns the exit code.
#include <string>

int RunHeatmapCommand(const wchar_t* user, const std::wstring& file, const wchar_t* periodWord);
