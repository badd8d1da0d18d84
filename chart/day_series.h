#pragma once
// The user's days as the daily chart reads them: the readable days of the
// history up to today, with each day's total found once, and the sums over
// any range of days (one bar, a selection) taken from them.
//
// Built once when the history is read; the running day's counts are put in
// again as they rise, which touches only the last day.
#include <cstdint>
#include <string>
#include <vector>

#include "chart/chart_span.h"
#include "history/day_range.h"
#include "history/history_file.h"
#include "history/local_date.h"

struct DaySeries {
    LocalDate today;
    std::vector<HistoryDay> days;        // in date order, none after today
    std::vector<int32_t> dayNumbers;     // DayNumber of each day
    std::vector<int64_t> strokes;        // each day's total: the data file's keys
    std::vector<int64_t> allStrokes;     // each day's strokes of every key
};

// A day's (or a sum's) strokes as the chart counts them.
int64_t StrokesOf(const HistoryCounts& counts, ChartKeys keys);

// Each day's strokes as the chart counts them.
const std::vector<int64_t>& StrokesOfDays(const DaySeries& series, ChartKeys keys);

// The days in date order, one line a date (a second one for a date is left
// out); days after today (a clock set back) are left out. With more, its
// counts are added date by date as the series is made.
DaySeries MakeDaySeries(std::vector<HistoryDay> days, const LocalDate& today, const DaysToAdd* more = nullptr);

// The running day's counts as they stand now: today's day is put in or
// replaced.
void SetRunningDay(DaySeries& series, const HistoryCounts& counts);

// The first day with a line, or today when there is none.
LocalDate FirstDay(const DaySeries& series);

// The index of the first day on or after dayNumber (days.size() if none).
std::size_t FirstDayFrom(const DaySeries& series, int32_t dayNumber);

// The sums of the days in range, keys and seconds.
HistoryCounts SumOfDays(const DaySeries& series, const DateRange& range);

// Strokes over seconds, times 3600, rounded down; 0 without seconds.
int64_t StrokesPerHour(int64_t strokes, int64_t seconds);

// The running time a day (or a bar's days) needs before its strokes per hour
// are shown: over a few seconds a handful of strokes is a rate of thousands,
// which says nothing and would tower over every other day.
constexpr int64_t RatedSeconds = 10 * 60;
bool HasRate(int64_t seconds);

// How the daily chart groups its days into bars.
enum class BarGrouping { Day, Week, Month };

// The days a span shows, ending today: 30, 90 or 365 of them, or from the
// first day with a line.
DateRange SpanDates(const DaySeries& series, ChartSpan span);

// One bar a day up to 90 days, a week (from Monday) up to two years, a month
// beyond.
BarGrouping GroupingOf(const DateRange& range);

// One bar's days: a day, or the part of a week or month inside the span.
struct DayBucket {
    DateRange dates;
    HistoryCounts counts;      // the sums of its days
    int64_t strokes = 0;       // as the chart counts them
};

// The range cut into buckets in date order, each with its sums; work in
// proportion to the buckets and the days with lines among them.
std::vector<DayBucket> GroupDays(const DaySeries& series, const DateRange& range, BarGrouping grouping,
                                 ChartKeys keys);

// "12,345": digits grouped by three.
std::string FormatGrouped(int64_t value);

// Backspace's share of every stroke in tenths of a percent, rounded half up
// (42 is 4.2%); -1 without strokes.
int CorrectionPermille(const HistoryCounts& sums);

// What the selection's figures line says of a range: its strokes, time
// counted, strokes per hour as the chart counts them ("-" under RatedSeconds)
// and Backspace's share of every stroke, e.g.
// "12,345 打鍵　起動時間 3 時間 25 分　3,612 打/h　訂正率 4.2%".
std::string FormatRangeFigures(const HistoryCounts& sums, ChartKeys keys);
// Its keys line: up to three most-struck keys (of the data file's, or of
// every key), e.g. "よく打ったキー: e 377、t 300、a 250"; empty without strokes.
std::string FormatTopKeys(const HistoryCounts& sums, ChartKeys keys);
