#pragma once
// The strokes per program of some days, ranked: as the 履歴 tab lists them
// and as Kivora.exe /apps writes them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/app_days.h"
#include "history/day_range.h"

struct RankedApp {
    std::string app;       // UTF-8; empty for the others taken together
    int64_t strokes = 0;
    int shareTenths = 0;   // of all the days' strokes, in tenths of a percent, rounded
    bool operator==(const RankedApp&) const = default;
};

// Most strokes first (by name when as many), sorted once: n log n for n
// programs. The strokes kept as OtherApps (programs past the limits of what
// is read from other PCs) come last, whatever their number. With more than
// `largest` programs, the largest and then one line for the others together.
constexpr std::size_t EveryApp = static_cast<std::size_t>(-1);
std::vector<RankedApp> RankApps(const AppCounts& counts, std::size_t largest = EveryApp);
// The first `largest` of a whole ranking and one line for the others
// together, as RankApps gives them; in proportion to the ranking's length,
// for a list drawn again and again from one ranking.
std::vector<RankedApp> TopOfRanking(const std::vector<RankedApp>& ranked, std::size_t largest);

// A share with its one decimal: 417 tenths is "41.7".
std::string ShareText(int shareTenths);

// The /apps file: "app,strokes,share", then each program, most strokes
// first; UTF-8 with a byte-order mark, CRLF, a name that a spreadsheet would
// run written as text (AppendCsvField).
std::string FormatAppsTable(const AppCounts& counts);

// The days of a command-line word: today, 7 and 30 (the days up to today),
// all, in any letter case, or FROM..TO; none for anything else.
std::optional<DateRange> AppsPeriod(std::string_view word, const LocalDate& today);
