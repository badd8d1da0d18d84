#pragma once
// Kivora.exe /chart USER FILE.png [30|90|365|all]: the history tab's picture
// of a user's days (the calendar and the chart of the span, the last 30 days
// when none is named), with the user, the span and the date as its title, as
// a PNG file. Returns the exit code (CommandExit).
#include <string>

int RunChartCommand(const wchar_t* user, const std::wstring& file, const wchar_t* spanWord);
