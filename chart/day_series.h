#pragma once
// The user's days as the daily chart reads them: the readable days of the
// history up to today, with each day's total found once, and the sums over
// any range of days (one bar, a selection) taken from them.
//
// Built once when the history is read; the running day's counts are put in
// again as they rise, which touches only the last day.
#include <array>
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
    std::vector<int64_t> timedStrokes;   // each day's TimedStrokes
};

// A day's strokes that fell in its active minutes: its hours added up, when
// it kept its minutes (a day written before they were has none). The same as
// its strokes of every key, but for the moves of the total that were no
// strokes (a reset) and on the day the minutes began to be kept.
int64_t TimedStrokes(const HistoryCounts& counts);

// The typing speed: strokes per active minute (a clock minute with at least
// one stroke), rounded half up; -1 without active minutes.
int64_t TypingSpeed(int64_t timedStrokes, int64_t activeMinutes);

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
    int64_t timedStrokes = 0;  // its days' TimedStrokes: its speed is these over its active minutes
};

// The range cut into buckets in date order, each with its sums; work in
// proportion to the buckets and the days with lines among them.
std::vector<DayBucket> GroupDays(const DaySeries& series, const DateRange& range, BarGrouping grouping,
                                 ChartKeys keys);

// The hours of the week of a range of days: the strokes of every key in
// each weekday's clock hours, added up over the days (Monday's 0 時 first,
// then its 1 時 ... then Tuesday's), and the days' strokes in their active
// minutes, for the speed. Days written before the hours were kept add
// nothing. Work in proportion to the days with lines in the range.
constexpr int WeekdaysPerWeek = 7;
constexpr int WeekHourCount = WeekdaysPerWeek * HoursOfDay;
struct WeekHours {
    std::array<int64_t, WeekHourCount> strokes{};   // weekday * HoursOfDay + hour
    int64_t timedStrokes = 0;
    int busiest = -1;   // the cell with the most strokes, the earliest on a tie; -1 when none has any
    int64_t Highest() const { return busiest < 0 ? 0 : strokes[busiest]; }
};
WeekHours HoursOfWeek(const DaySeries& series, const DateRange& range);

// The busiest hour named: "いちばん打つのは 火曜 10 時台", or with shortForm
// "火曜 10 時台"; "時間帯の記録なし" when no hour has a stroke.
std::string FormatBusiestHour(const WeekHours& hours, bool shortForm = false);

// "12,345": digits grouped by three.
std::string FormatGrouped(int64_t value);

// Backspace's share of every stroke in tenths of a percent, rounded half up
// (42 is 4.2%); -1 without strokes.
int CorrectionPermille(const HistoryCounts& sums);

// What the selection's figures line says of a range: its strokes, time
// counted, strokes per hour as the chart counts them ("-" under
// RatedSeconds), the typing speed of its strokes in their active minutes
// (timedStrokes) and its best minute, e.g.
// "12,345 打鍵　起動時間 3 時間 25 分　3,612 打/h　打鍵速度 85 打/分（最高 120）";
// "打鍵速度 - 打/分" without active minutes.
std::string FormatRangeFigures(const HistoryCounts& sums, ChartKeys keys, int64_t timedStrokes);
// Its keys line: Backspace's share of every stroke and up to three
// most-struck keys (of the data file's, or of every key), e.g.
// "訂正率 4.2%　よく打ったキー: e 377、t 300、a 250"; "訂正率 -" without strokes.
std::string FormatKeysLine(const HistoryCounts& sums, ChartKeys keys);
