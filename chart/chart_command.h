#pragma once
// Kivora.exe /chart USER FILE.png [30|90|365|all] [allkeys]: the history tab's
// picture of a user's days (the calendar and the chart of the span, the last
// 30 days when none is named; the strokes of the data file's keys, or of every
// key with allkeys), with the user, the span, the keys and the date as its
// title, as a PNG file. Returns the exit code (CommandExit).
#include <string>

// spanWord and keysWord are the arguments after the file, either or both
// null: a span, allkeys, or a span and then allkeys.
int RunChartCommand(const wchar_t* user, const std::wstring& file, const wchar_t* spanWord,
                    const wchar_t* keysWord);
