#pragma once
// The per-day history beside a user's data file, data\<user>.history.csv:
// ASCII, CRLF, a header line, then one line per day in date order:
//
//   date,seconds,total,a,...,z,A,...,Z,0,...,9,right,left,up,down,colon,...,caret
//
// seconds is the running time counted that day, total the strokes counted
// that day (the sum of the 77 keys), then the 77 counts: the data file's key
// fields 1-52 and 58-82, in file order. All plain decimal, 80 fields a line.
//
// A line that cannot be read (field count, a non-number, more than 18 digits,
// a date that does not exist, the second line of a date) is kept byte for
// byte where it stands and counts for nothing. A line whose total is not the
// sum of its keys is read all the same: the keys are the counts, and the
// total is made right whenever that line is written again.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "history/local_date.h"

constexpr int HistoryKeyCount = 77;
constexpr int HistoryFieldCount = 3 + HistoryKeyCount;
// Larger files are refused whole; the glue checks the size before reading.
constexpr std::size_t LargestHistoryFile = 16u * 1024 * 1024;
// Eighteen digits: every count and every sum stops here, so whatever is
// written reads back and no sum of them can overflow 64 bits.
constexpr int HistoryValueDigits = 18;
constexpr int64_t LargestHistoryValue = 999'999'999'999'999'999;

// The header line, without its line end.
extern const std::string_view HistoryHeader;
// The keys' names in history order, as the header and the export name them.
extern const std::array<std::string_view, HistoryKeyCount> HistoryKeyNames;

// The data file's field number (1-based) of history key 0 to 76.
constexpr int HistoryKeyField(int key) { return key < 2 * 26 ? key + 1 : key + 6; }

// A day's counts, or a snapshot of the all-time counts at an instant.
struct HistoryCounts {
    int64_t seconds = 0;
    std::array<int64_t, HistoryKeyCount> keys{};

    int64_t Strokes() const;   // the sum of the keys
    bool IsEmpty() const { return seconds == 0 && Strokes() == 0; }
    bool operator==(const HistoryCounts&) const = default;
};

// sum += more, field by field.
void AddCounts(HistoryCounts& sum, const HistoryCounts& more);
// sum += to - from, field by field; a value that fell below its start point
// (a reset, a load) adds nothing rather than taking away.
void AddDelta(HistoryCounts& sum, const HistoryCounts& from, const HistoryCounts& to);

struct HistoryDay {
    LocalDate date;
    HistoryCounts counts;
};

// One line without its line end. Refuses what cannot be read; a wrong total
// is not refused.
std::optional<HistoryDay> ParseHistoryLine(std::string_view line);
// Appends the day's line with its CRLF; the total is the keys' sum.
void AppendHistoryLine(std::string& out, const LocalDate& date, const HistoryCounts& counts);
