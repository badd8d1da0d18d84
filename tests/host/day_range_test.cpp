// Ranges of days as the command line writes them, and the sums of a
// history's days over them: what the history tab selects, and what the
// keyboard map of a chosen range and /heatmap FROM..TO add up.
#include <gtest/gtest.h>

#include <vector>

#include "history/day_range.h"
#include "keymap/map_period.h"

namespace {

HistoryDay Day(LocalDate date, int64_t a, int64_t seconds = 60)
{
    HistoryDay day;
    day.date = date;
    day.counts.keys[0] = a;
    day.counts.seconds = seconds;
    return day;
}

// Lines on 11-28, 11-30, 12-01, 12-07 (today) and 12-09 (a clock set back).
const std::vector<HistoryDay> Days = {Day({2026, 11, 28}, 1), Day({2026, 11, 30}, 10), Day({2026, 12, 1}, 100),
                                      Day({2026, 12, 7}, 1000), Day({2026, 12, 9}, 10000)};
constexpr LocalDate Today = {2026, 12, 7};

TEST(DayRange, SumsTakeTheDaysWithLinesInsideTheRange)
{
    struct Case {
        DateRange range;
        int64_t a, seconds;
        const char* what;
    } cases[] = {
        {{{2026, 11, 28}, {2026, 12, 9}}, 11111, 300, "every day"},
        {{{2026, 11, 29}, {2026, 11, 30}}, 10, 60, "a day without a line counts nothing"},
        {{{2026, 12, 1}, {2026, 12, 1}}, 100, 60, "one day"},
        {{{2026, 12, 2}, {2026, 12, 6}}, 0, 0, "no line at all"},
        {{{2025, 1, 1}, {2025, 12, 31}}, 0, 0, "before the first line"},
    };
    for (const Case& c : cases) {
        HistoryCounts sums = SumOfHistoryDays(Days, c.range);
        EXPECT_EQ(sums.keys[0], c.a) << c.what;
        EXPECT_EQ(sums.seconds, c.seconds) << c.what;
    }
    std::vector<HistoryDay> huge = {Day({2026, 1, 1}, LargestHistoryValue), Day({2026, 1, 2}, LargestHistoryValue)};
    EXPECT_EQ(SumOfHistoryDays(huge, {{2026, 1, 1}, {2026, 1, 2}}).keys[0], LargestHistoryValue) << "capped";
}

// The keyboard tab reads the range's days once and takes today's counts as
// they rise; the sum must be the same as all the days summed at once.
TEST(MapRange, TodayRisesWhileTheOtherDaysAreReadOnce)
{
    HistoryCounts running = Day(Today, 1234, 90).counts;
    std::vector<HistoryDay> now = Days;
    now[3].counts = running;
    struct Case {
        DateRange range;
        bool withToday;
        const char* what;
    } cases[] = {
        {{{2026, 11, 28}, {2026, 12, 9}}, true, "today among the days, a later line too"},
        {{{2026, 11, 30}, {2026, 12, 7}}, true, "ending today"},
        {{Today, Today}, true, "today alone"},
        {{{2026, 11, 28}, {2026, 12, 1}}, false, "before today"},
    };
    for (const Case& c : cases) {
        RangeDays read = ReadRangeDays(Days, c.range, Today);
        EXPECT_EQ(read.withToday, c.withToday) << c.what;
        EXPECT_EQ(RangeSums(read, running), SumOfHistoryDays(now, c.range)) << c.what;
    }
}

TEST(MapRange, TheRangeHasNoWordAndShowsItsDays)
{
    MapPeriod period = MapPeriod::Today;
    EXPECT_FALSE(ParseMapPeriod("", period)) << "the range is named by its days, not by a word";
    EXPECT_EQ(period, MapPeriod::Today);
    const DateRange week = {{2026, 11, 30}, {2026, 12, 6}};
    EXPECT_EQ(ParseDateRange(FormatDateRange(week)), week) << "the command line's days read back";
    // A picture's title says what it shows, and of which days, a week later.
    const LocalDate today = {2026, 12, 7};
    const struct {
        MapPeriod period;
        MapMode mode;
        const char* title;
    } titles[] = {
        {MapPeriod::Range, MapMode::Both, "taro　指定した期間　小文字と大文字　2026年11月30日（月）～2026年12月6日（日）"},
        {MapPeriod::Today, MapMode::Both, "taro　今日　小文字と大文字　2026年12月7日（月）"},
        {MapPeriod::Last7Days, MapMode::Lowercase, "taro　過去 7 日　小文字　2026年12月1日（火）～2026年12月7日（月）"},
        {MapPeriod::Last30Days, MapMode::Uppercase, "taro　過去 30 日　大文字　2026年11月8日（日）～2026年12月7日（月）"},
        {MapPeriod::All, MapMode::AllStrokes, "taro　全期間　全キー　2026年12月7日（月）まで"},   // no first day
    };
    for (const auto& t : titles)
        EXPECT_EQ(MapTitle("taro", t.period, week, t.mode, today), t.title);

    StoredValues values{};
    values[0] = 999;
    HistoryCounts sums;
    sums.keys[0] = 7;
    EXPECT_EQ(KeyCountsOfPeriod(MapPeriod::Range, SnapshotOf(values), HistoryPeriods{}, sums)[0], 7u);
}

} // namespace
