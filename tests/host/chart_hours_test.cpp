// When the strokes fell, as the history tab shows it: the typing speed per
// active minute, the hours of the week and the busiest of them, and where
// they go in the chart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/chart_layout.h"
#include "chart/day_series.h"

namespace {

constexpr PixelRect TabPage = {0, 0, 522, 294};
constexpr PixelRect Picture = {0, 0, 1200, 720};

int SixPixelsAByte(const void*, std::string_view text) { return static_cast<int>(text.size()) * 6; }
constexpr ChartTextMeasure FixedPitch = {13, SixPixelsAByte, nullptr};

// A day with strokes of e in the given hours and as many minutes as given
// (none: a line written before the minutes and hours were kept).
HistoryDay Day(LocalDate date, std::vector<std::pair<int, int64_t>> hours, int64_t minutes, int64_t best = 0)
{
    HistoryDay day;
    day.date = date;
    day.counts.seconds = 3600;
    for (auto [hour, strokes] : hours) {
        day.counts.keys[4] += strokes;
        if (minutes > 0)
            day.counts.hours[hour] += strokes;
    }
    day.counts.activeMinutes = minutes;
    day.counts.bestMinute = best;
    return day;
}

int Cell(int weekday, int hour) { return weekday * HoursOfDay + hour; }

TEST(TypingSpeed, StrokesPerActiveMinuteRoundedHalfUp)
{
    struct Case {
        int64_t strokes, minutes, speed;
    } cases[] = {
        {0, 0, -1},                        // a day before the minutes were kept: no speed
        {500, 0, -1},
        {0, 3, 0},                         // minutes without a stroke (a reset moved the total)
        {979, 12, 82},                     // 81.6
        {5, 2, 3},                         // 2.5: half up
        {7, 3, 2},                         // 2.33
        {LargestHistoryValue, 1, LargestHistoryValue},       // no overflow at the largest counts
        {-4, 2, 0},                        // nonsense in, no negative speed
    };
    for (const Case& c : cases)
        EXPECT_EQ(TypingSpeed(c.strokes, c.minutes), c.speed) << c.strokes << " / " << c.minutes;

    // Its strokes are those that fell in the day's minutes, its hours added
    // up: fewer than the day's strokes of every key on the day the hours
    // began to be kept, or when the total moved without strokes.
    HistoryCounts counts;
    counts.keys[4] = 900;
    counts.hours[9] = 300;
    counts.hours[23] = 100;
    EXPECT_EQ(TimedStrokes(counts), 0) << "hours without minutes: a line that was edited";
    counts.activeMinutes = 5;
    EXPECT_EQ(TimedStrokes(counts), 400);
}

TEST(WeekHours, EachWeekdaysHoursAddUpOverTheRange)
{
    const LocalDate monday = {2026, 11, 30};
    DaySeries series = MakeDaySeries(
        {
            Day({2026, 11, 24}, {{10, 5}}, 1),             // a Tuesday before the range
            Day(monday, {{0, 3}, {9, 40}}, 10),
            Day({2026, 12, 1}, {{10, 70}, {23, 1}}, 20),   // Tuesday
            Day({2026, 12, 3}, {{10, 8}}, 0),              // Thursday, written before the hours were kept
            Day({2026, 12, 7}, {{9, 12}, {10, 9}}, 5),     // the next Monday
            Day({2026, 12, 8}, {{10, 70}}, 3),             // Tuesday again: a tie with the week before
        },
        {2026, 12, 8});
    struct Case {
        DateRange range;
        std::vector<std::pair<int, int64_t>> cells;   // those not 0
        int64_t timed;
        int busiest;
    } cases[] = {
        // Both Mondays in one row; the Tuesdays' 10 時 added up; Thursday adds nothing.
        {{monday, {2026, 12, 8}},
         {{Cell(0, 0), 3}, {Cell(0, 9), 52}, {Cell(0, 10), 9}, {Cell(1, 10), 140}, {Cell(1, 23), 1}},
         3 + 40 + 71 + 21 + 70,
         Cell(1, 10)},
        // A range from a Wednesday: the first week's Monday and Tuesday are not in it.
        {{{2026, 12, 2}, {2026, 12, 7}}, {{Cell(0, 9), 12}, {Cell(0, 10), 9}}, 21, Cell(0, 9)},
        // Only the day without hours: no cell, nothing named.
        {{{2026, 12, 3}, {2026, 12, 3}}, {}, 0, -1},
        // Days without lines at all.
        {{{2026, 12, 4}, {2026, 12, 6}}, {}, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(FormatDateRange(c.range));
        WeekHours week = HoursOfWeek(series, c.range);
        std::array<int64_t, WeekHourCount> expected{};
        for (auto [cell, strokes] : c.cells)
            expected[cell] = strokes;
        EXPECT_EQ(week.strokes, expected);
        EXPECT_EQ(week.timedStrokes, c.timed);
        EXPECT_EQ(week.busiest, c.busiest);
    }
    // Two cells of the same count: the earlier weekday's, and the earlier hour's.
    DaySeries tie = MakeDaySeries({Day(monday, {{15, 7}, {8, 7}}, 2), Day({2026, 12, 2}, {{3, 7}}, 1)}, {2026, 12, 8});
    EXPECT_EQ(HoursOfWeek(tie, {monday, {2026, 12, 8}}).busiest, Cell(0, 8));
}

TEST(WeekHours, TheBusiestHourNamed)
{
    struct Case {
        int busiest;
        bool shortForm;
        const char* text;
    } cases[] = {
        {Cell(0, 0), false, "いちばん打つのは 月曜 0 時台"},
        {Cell(6, 23), true, "日曜 23 時台"},
        {-1, true, "時間帯の記録なし"},   // no hour has a stroke
    };
    for (const Case& c : cases) {
        WeekHours week;
        week.busiest = c.busiest;
        if (c.busiest >= 0)
            week.strokes[c.busiest] = 1;
        EXPECT_EQ(FormatBusiestHour(week, c.shortForm), c.text);
    }
}

TEST(ChartLayout, AxisOfStepsReachesTheValueInExactlyItsSteps)
{
    struct Case {
        int64_t highest;
        int steps;
        int64_t step;
    } cases[] = {
        {0, 1, 1},       // nothing to show: 0 to 1
        {85, 3, 50},     // 0, 50, 100, 150: the rates' three steps
        {100, 2, 50},    // reaching the value exactly is enough
        {101, 2, 100},
        {LargestHistoryValue, 1, 1'000'000'000'000'000'000},
    };
    for (const Case& c : cases) {
        ValueAxis axis = AxisOfSteps(c.highest, c.steps);
        int steps = std::max(c.steps, 1);
        EXPECT_EQ(axis.step, c.step) << c.highest << " in " << c.steps;
        EXPECT_EQ(axis.top, c.step * steps);
        EXPECT_EQ(axis.ticks.size(), static_cast<std::size_t>(steps + 1));
    }
}

// A bar's speed counts only its days that kept their minutes: a week with
// days written before them is not made faster by their strokes.
TEST(ChartLayout, BarsHaveASpeedWhereTheirDaysKeptTheirMinutes)
{
    const LocalDate today = {2026, 12, 8};
    std::vector<HistoryDay> days;
    for (int ago = 400; ago > 6; --ago)
        days.push_back(Day(AddDays(today, -ago), {{10, 600}}, 0));   // before the minutes were kept
    days.push_back(Day(AddDays(today, -6), {{10, 600}}, 0));          // Wednesday
    days.push_back(Day(AddDays(today, -2), {{10, 300}, {11, 300}}, 10, 95));   // Sunday: 60 a minute
    DaySeries series = MakeDaySeries(days, today);

    ChartLayout daily = LayOutChart(series, {ChartSpan::Last30Days, DefaultChartKeys, std::nullopt, false, nullptr},
                                    TabPage, FixedPitch);
    ASSERT_TRUE(daily.usable);
    const std::size_t count = daily.bars.size();
    EXPECT_EQ(daily.bars[count - 3].speed, 60);
    EXPECT_EQ(daily.bars[count - 7].speed, -1) << "a day before the minutes";
    EXPECT_EQ(daily.bars[count - 1].speed, -1) << "today, no line";
    EXPECT_GE(daily.speedAxis.top, 60);
    EXPECT_EQ(daily.speedAxis.ticks.size(), daily.rateAxis.ticks.size()) << "on the same lines";
    const PixelPoint& point = daily.bars[count - 3].speedPoint;
    EXPECT_TRUE(point.x >= daily.ratePlot.left && point.x < daily.ratePlot.right && point.y >= daily.ratePlot.top &&
                point.y <= daily.ratePlot.bottom);

    // A week a bar: last week's (Monday 11/30 to Sunday 12/6) is 600 over
    // ten minutes, though the week has 2,400 strokes.
    ChartLayout weekly = LayOutChart(series, {ChartSpan::Last365Days, DefaultChartKeys, std::nullopt, false, nullptr},
                                     TabPage, FixedPitch);
    ASSERT_EQ(weekly.grouping, BarGrouping::Week);
    const ChartBar& week = weekly.bars[weekly.bars.size() - 2];
    EXPECT_EQ(week.bucket.dates.first, (LocalDate{2026, 11, 30}));
    EXPECT_EQ(week.bucket.strokes, 2400);
    EXPECT_EQ(week.speed, 60);
    EXPECT_EQ(weekly.bars[weekly.bars.size() - 3].speed, -1);

    // The figures of the week and of the older day.
    ChartLayout chosen = LayOutChart(
        series, {ChartSpan::Last30Days, DefaultChartKeys, week.bucket.dates, false, nullptr}, TabPage, FixedPitch);
    EXPECT_NE(chosen.selectionFigures.text.find("　打鍵速度 60 打/分（最高 95）"), std::string::npos)
        << chosen.selectionFigures.text;
    EXPECT_EQ(chosen.busiestHour.text, "いちばん打つのは 日曜 10 時台");
    DateRange older = {AddDays(today, -6), AddDays(today, -6)};
    chosen = LayOutChart(series, {ChartSpan::Last30Days, DefaultChartKeys, older, false, nullptr}, TabPage, FixedPitch);
    EXPECT_NE(chosen.selectionFigures.text.find("　打鍵速度 - 打/分"), std::string::npos);
    EXPECT_EQ(chosen.busiestHour.text, "時間帯の記録なし");
}

// Right of the calendar on its rows: 24 columns of its pitch, the busiest
// hour whole and a line apart from the legend, at the tab's size at 96 and
// 144 dpi and the picture's.
TEST(ChartLayout, TheHoursOfTheWeekShareTheCalendarsRows)
{
    const LocalDate today = {2026, 12, 8};
    std::vector<HistoryDay> days;
    for (int ago = 3000; ago >= 0; --ago)
        days.push_back(Day(AddDays(today, -ago), {{ago % 24, 100 + ago % 7}, {10, 50}}, 30, 99'999));
    DaySeries series = MakeDaySeries(days, today);
    for (const PixelRect& canvas : {TabPage, PixelRect{0, 0, 783, 441}, Picture}) {
        SCOPED_TRACE(canvas.right);
        ChartLayout layout = LayOutChart(series, {ChartSpan::All}, canvas, FixedPitch);
        ASSERT_TRUE(layout.usable);
        EXPECT_EQ(layout.hoursGrid.top, layout.calendar.top);
        EXPECT_EQ(layout.hoursGrid.bottom, layout.calendar.bottom);
        EXPECT_GE(layout.hoursGrid.left, layout.calendar.right + layout.lineHeight) << "room for the weekdays' names";
        // Tuesday's 10 時: the second row, the eleventh column.
        EXPECT_EQ(layout.hourCells.at(Cell(1, 10)).rect.left, layout.hoursGrid.left + 10 * layout.cellPitch);
        EXPECT_EQ(layout.hourCells.at(Cell(1, 10)).rect.top, layout.calendar.top + layout.cellPitch);
        EXPECT_EQ(layout.busiestHour.text.rfind("いちばん打つのは ", 0), 0u) << "the whole text fits";
        EXPECT_GE(layout.busiestHour.rect.left, layout.legendHigh.rect.right + layout.lineHeight);
        EXPECT_EQ(layout.rateCaption.text, "1 時間あたりの打鍵数（起動時間 10 分以上）") << "beside the speed's key";
    }
}

// The list ranks the shortcuts when they are chosen; without any it is not
// there, as without programs.
TEST(ChartLayout, TheListRanksTheShortcutsWhenChosen)
{
    const LocalDate today = {2026, 12, 8};
    DaySeries series = MakeDaySeries({Day(today, {{9, 500}}, 8)}, today);
    AppCounts shortcuts;
    AddAppStrokes(shortcuts, "Ctrl+C", 30);
    AddAppStrokes(shortcuts, "Ctrl+Shift+Z", 2);
    AddAppStrokes(shortcuts, "Alt+Tab", 12);
    const std::vector<RankedApp> ranked = RankApps(shortcuts), none;
    ChartLayout listed = LayOutChart(
        series, {ChartSpan::Last30Days, DefaultChartKeys, std::nullopt, false, &ranked, ChartList::Shortcuts},
        Picture, FixedPitch);
    ASSERT_EQ(listed.programRows.size(), 3u);
    EXPECT_EQ(listed.programsCaption.text, "ショートカットごとの回数");
    EXPECT_EQ(listed.programRows[0].program.app, "Ctrl+C");
    EXPECT_EQ(listed.programRows[1].program.app, "Alt+Tab");
    EXPECT_LT(listed.programRows.back().bar.bottom, listed.rateCaption.rect.top) << "above the rates";
    ChartLayout empty = LayOutChart(
        series, {ChartSpan::Last30Days, DefaultChartKeys, std::nullopt, false, &none, ChartList::Shortcuts}, Picture,
        FixedPitch);
    ChartLayout without = LayOutChart(series, {}, Picture, FixedPitch);
    EXPECT_TRUE(empty.programRows.empty());
    EXPECT_EQ(empty.plot.right, without.plot.right);
}

} // namespace
