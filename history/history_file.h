#pragma once
// The per-day history beside a user's data file, data\<user>.history.csv:
// ASCII, CRLF, a header line, then one line per day in date order:
//
//   date,seconds,total,a,...,z,A,...,Z,0,...,9,right,...,caret,allkeys,space,enter,...,shiftcaret
//
// seconds is the running time counted that day, total the strokes of the 77
// keys of the data file that day, then their 77 counts (the data file's key
// fields 1-52 and 58-82, in file order); allkeys the strokes of every key
// that day, then the counts of every other key and of the digit, arrow and
// punctuation keys struck with Shift held (KeyTable's order). All plain
// decimal. A line of the 80 columns written before every key was counted
// (and such a header) is read as it was, the other keys 0; the next save
// writes every column.
//
// A spreadsheet that saved the file back may have quoted fields (RFC 4180,
// the header's too) and written dates as YYYY/M/D; such lines are read as
// the same days. A line that cannot be read (field count, a non-number, more
// than 18 digits, a date that does not exist, the second line of a date) is
// kept where it stands with its content as it was and counts for nothing. A
// line whose total or allkeys is not the sum of its keys is read all the
// same: the keys are the counts, and the sums are made right when the
// history is written.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "history/local_date.h"
#include "keys/key_table.h"

// The columns after date, seconds and total: the data file's keys, allkeys,
// then every other key of KeyTable.
constexpr int HistoryKeyCount = KeyTableSize;
constexpr int HistoryFieldCount = 3 + HistoryKeyCount + 1;
// The lines written before every key was counted end after the data file's keys.
constexpr int DataFileFieldCount = 3 + DataFileKeyCount;
// Larger files are refused whole; the glue checks the size before reading.
constexpr std::size_t LargestHistoryFile = 16u * 1024 * 1024;
// Eighteen digits: every count and every sum stops here, so whatever is
// written reads back and no sum of them can overflow 64 bits.
constexpr int HistoryValueDigits = 18;
constexpr int64_t LargestHistoryValue = 999'999'999'999'999'999;

// The header line, without its line end: date, seconds, total and the keys'
// column names.
extern const std::string_view HistoryHeader;

// A day's counts, or a snapshot of the all-time counts at an instant.
struct HistoryCounts {
    int64_t seconds = 0;
    std::array<int64_t, HistoryKeyCount> keys{};

    int64_t Strokes() const;      // the sum of the data file's keys: the column total
    int64_t AllStrokes() const;   // the sum of every key: the column allkeys
    bool IsEmpty() const { return seconds == 0 && AllStrokes() == 0; }
    bool operator==(const HistoryCounts&) const = default;
};

// sum += more, field by field.
void AddCounts(HistoryCounts& sum, const HistoryCounts& more);
// counts = max(counts, floor), field by field.
void RaiseCounts(HistoryCounts& counts, const HistoryCounts& floor);
// sum += to - from, field by field; a value that fell below its start point
// (a reset, a load) adds nothing rather than taking away.
void AddDelta(HistoryCounts& sum, const HistoryCounts& from, const HistoryCounts& to);

struct HistoryDay {
    LocalDate date;
    HistoryCounts counts;
    bool operator==(const HistoryDay&) const = default;
};

// A line of a text: its content, then its line end (CRLF or LF; the last
// line may have none, and a CR without LF is content).
struct LineSpan {
    std::size_t begin;
    std::size_t contentEnd;
    std::size_t end;   // the next line's begin
    bool EndsInCrLf() const { return end == contentEnd + 2; }
};
LineSpan LineAt(std::string_view text, std::size_t at);

// A line as a spreadsheet saves it back when other lines of its file are
// longer: padded with empty fields (maybe quoted), here taken off again.
std::string_view WithoutPadding(std::string_view line);

// The first line without its line end: the header, its fields maybe quoted.
// ownForm tells whether it is exactly HistoryHeader.
bool IsHistoryHeader(std::string_view line, bool& ownForm);

// One line without its line end, in Kivora's own form or as a spreadsheet
// saves it. Refuses what cannot be read; a wrong total is not refused.
std::optional<HistoryDay> ParseHistoryLine(std::string_view line);
// The same; ownForm tells whether the line is exactly what AppendHistoryLine
// writes for the day (without the CRLF): ISO date, no quotes, no leading
// zeros, the right total.
std::optional<HistoryDay> ParseHistoryLine(std::string_view line, bool& ownForm);
// Appends the day's line in Kivora's own form with its CRLF; the total is
// the keys' sum.
void AppendHistoryLine(std::string& out, const LocalDate& date, const HistoryCounts& counts);
