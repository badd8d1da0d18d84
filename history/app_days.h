#pragma once
// The strokes of each day per program, when the user records them:
// data\<user>.apps.csv beside the history. UTF-8 with a byte-order mark
// (which a spreadsheet needs to read Japanese names), CRLF, a header, then
// one line per day and program, in date order and by program within a day:
//
//   date,app,strokes
//   2026-12-07,excel.exe,1520
//   2026-12-07,notepad.exe,318
//
// A program is named by its executable file's name in lowercase; a name
// with a comma or a quote is quoted as RFC 4180 quotes it, and one that a
// spreadsheet would run as a formula (AppendCsvField) is written as text.
// Only the count is
// kept: no window title, no text. What a spreadsheet saves back (a byte-order
// mark, LF, quoted fields, dates as 2026/12/7, a program's lines in another
// order) is read as the same days. Lines that cannot be read count for
// nothing; the keeper keeps such a file as a copy before it writes its own.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/day_range.h"
#include "history/local_date.h"

// A program's strokes.
struct AppCount {
    std::string app;
    int64_t strokes = 0;
    bool operator==(const AppCount&) const = default;
};

// Each program once, in name order; none with 0 strokes but floors that
// say so. Kept so by the functions below, which every change goes through.
using AppCounts = std::vector<AppCount>;

// The name given to strokes whose program could not be named (the secure
// desktop, a process that cannot be opened): 不明 in parentheses, UTF-8.
extern const std::string_view UnknownApp;
// The name under which the strokes of programs past the limits of what is
// read from other PCs are kept together: その他 in parentheses, UTF-8.
extern const std::string_view OtherApps;

// counts[app] += strokes (capped as the history caps its counts).
void AddAppStrokes(AppCounts& counts, std::string_view app, int64_t strokes);
// sum += more, program by program.
void AddAppCounts(AppCounts& sum, const AppCounts& more);
// counts = max(counts, floor), program by program.
void RaiseAppCounts(AppCounts& counts, const AppCounts& floor);
// sum += to - from, program by program; a program whose count fell adds nothing.
void AddAppDelta(AppCounts& sum, const AppCounts& from, const AppCounts& to);
// counts - taken, program by program, never below zero; programs left at 0 go.
AppCounts LessApps(const AppCounts& counts, const AppCounts& taken);
int64_t TotalStrokes(const AppCounts& counts);

// The header line, without its line end.
extern const std::string_view AppsHeader;
constexpr std::size_t LargestAppsFile = 16u * 1024 * 1024;

enum class AppsLoad { Loaded, TooLarge, NotApps };

// The days of an apps file as the keeper and the windows read them.
class AppBook {
public:
    // A refused text leaves the book as it was. An empty text: no days.
    AppsLoad Load(std::string_view text);
    // Lines that could not be read (kept only in the copy the keeper makes).
    int UnreadableLines() const { return unreadableLines_; }

    const AppCounts* On(const LocalDate& date) const;
    void Set(const LocalDate& date, AppCounts counts);
    // The day's programs += counts.
    void Add(const LocalDate& date, const AppCounts& counts) { Set(date, Added(On(date), counts)); }
    // Every day's programs added up over the range.
    AppCounts Sum(const DateRange& range) const;
    bool Empty() const { return days_.empty(); }
    const std::map<LocalDate, AppCounts>& Days() const { return days_; }

    // Kivora's own form of the whole file, its byte-order mark first.
    std::string Render() const;

private:
    static AppCounts Added(const AppCounts* day, const AppCounts& counts);

    std::map<LocalDate, AppCounts> days_;
    int unreadableLines_ = 0;
};

// What Kivora puts before a UTF-8 table that may hold Japanese names; the
// readers take texts with and without it.
extern const std::string_view Utf8ByteOrderMark;

// A field of a CSV line, quoted as RFC 4180 quotes it when it must be. A
// field that a spreadsheet would take for a formula (it starts with = + - @,
// a tab, CR or LF) gets an apostrophe before it, which makes it text there,
// and quotes; so does one that starts with an apostrophe, so that
// CsvFieldText gives every field back as it was.
void AppendCsvField(std::string& out, std::string_view field);
// A field as AppendCsvField wrote it (its quotes already taken off): the
// apostrophe that kept a spreadsheet from running it taken off too.
std::string_view CsvFieldText(std::string_view field);

// The header line of apps.csv as Kivora or a spreadsheet writes it.
bool IsAppsHeader(std::string_view line);

// A program and its strokes as a line of the file (without CRLF), and back:
// the date, then the name (quoted when it must be), then the count.
void AppendAppsLine(std::string& out, const LocalDate& date, const AppCount& count);
// A line as Kivora or a spreadsheet writes it; none when it cannot be read.
struct AppsLine {
    LocalDate date;
    AppCount count;
};
std::optional<AppsLine> ParseAppsLine(std::string_view line);
