#pragma once
// A range of days, as the command line names it ("2026-11-30..2026-12-06"),
// and the sums of a history's days over it: what the history tab selects and
// the keyboard map of a chosen range adds up.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_file.h"
#include "history/local_date.h"

// The days first to last, both included.
struct DateRange {
    LocalDate first, last;
    bool Contains(const LocalDate& date) const { return !(date < first) && !(last < date); }
    bool operator==(const DateRange&) const = default;
};

// "YYYY-MM-DD..YYYY-MM-DD", two days that exist, the first not after the
// second; anything else is refused.
std::optional<DateRange> ParseDateRange(std::string_view text);
// The same text back.
std::string FormatDateRange(const DateRange& range);

// 0 for Monday to 6 for Sunday.
int WeekdayIndex(const LocalDate& date);
// 月, 火, 水, 木, 金, 土, 日 by WeekdayIndex.
const char* WeekdayName(int weekday);
// 2026年12月7日（月）: a day as the windows show it (the ISO form is the
// command line's).
std::string FormatJapaneseDate(const LocalDate& date);
// One day as FormatJapaneseDate, more as "first～last".
std::string FormatJapaneseRange(const DateRange& range);

// Counts to add to days date by date, in one pass over them: the other PCs'
// days, added while a series of the days is made rather than in a pass of
// their own.
class DaysToAdd {
public:
    virtual ~DaysToAdd() = default;
    // Puts in, with no counts, the dates that days (in date order) lacks.
    virtual void AddDatesTo(std::vector<HistoryDay>& days) const = 0;
    // Adds its counts of the day's date; called for days in date order, with
    // a cursor that starts at 0.
    virtual void AddOn(HistoryDay& day, std::size_t& cursor) const = 0;
};

// The sums of the days in range, keys and seconds, each capped at
// LargestHistoryValue. days are in date order, one a date.
HistoryCounts SumOfHistoryDays(const std::vector<HistoryDay>& days, const DateRange& range);
