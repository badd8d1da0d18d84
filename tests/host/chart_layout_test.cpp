#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/chart_layout.h"
#include "chart/chart_span.h"
#include "chart/day_series.h"

namespace {

// The history tab's canvas at 96 dpi under Wine's fonts (bench/chart_bench.cpp).
constexpr PixelRect TabPage = {0, 0, 522, 294};
constexpr PixelRect Picture = {0, 0, 1200, 720};

HistoryDay Day(LocalDate date, int64_t e, int64_t seconds = 0, int64_t upperA = 0)
{
    HistoryDay day;
    day.date = date;
    day.counts.keys[4] = e;
    day.counts.keys[26] = upperA;
    day.counts.seconds = seconds;
    return day;
}

// A fixed-pitch font: six pixels a byte, lines of 13.
int SixPixelsAByte(const void*, std::string_view text) { return static_cast<int>(text.size()) * 6; }
constexpr ChartTextMeasure FixedPitch = {13, SixPixelsAByte, nullptr};

ChartLayout LayOut(const DaySeries& series, ChartSpan span, const PixelRect& canvas,
                   std::optional<DateRange> selection = std::nullopt, bool withTitle = false,
                   ChartKeys keys = DefaultChartKeys, AppCounts programs = {})
{
    const std::vector<RankedApp> ranked = RankApps(programs);
    return LayOutChart(series, {span, keys, selection, withTitle, &ranked}, canvas, FixedPitch);
}

// count programs, app01.exe with 1 stroke up to one with count strokes.
AppCounts Programs(int count)
{
    AppCounts programs;
    for (int i = 1; i <= count; ++i)
        AddAppStrokes(programs, (i < 10 ? "app0" : "app") + std::to_string(i) + ".exe", i);
    return programs;
}

bool Overlap(const PixelRect& a, const PixelRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Inside(const PixelRect& inner, const PixelRect& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::vector<ChartText> AllTexts(const ChartLayout& layout)
{
    std::vector<ChartText> texts = layout.weekdayLabels;
    for (const std::vector<ChartText>* labels :
         {&layout.monthLabels, &layout.dateLabels, &layout.hourLabels, &layout.hourWeekdayLabels})
        texts.insert(texts.end(), labels->begin(), labels->end());
    for (const ValueAxis* axis : {&layout.valueAxis, &layout.rateAxis, &layout.speedAxis}) {
        for (const AxisTick& tick : axis->ticks)
            texts.push_back(tick.label);
    }
    for (const ChartText* text : {&layout.noLineText, &layout.legendLow, &layout.legendHigh, &layout.barCaption,
                                  &layout.averageText, &layout.rateCaption, &layout.rateNote, &layout.selectionDate,
                                  &layout.selectionFigures, &layout.selectionKeys, &layout.busiestHour,
                                  &layout.speedText})
        texts.push_back(*text);
    if (!layout.programRows.empty())
        texts.push_back(layout.programsCaption);
    for (const ProgramRow& row : layout.programRows) {
        for (const PixelRect& rect : {row.name, row.strokes, row.share})
            texts.push_back({rect, row.program.app});
    }
    return texts;
}

// Ten years of days, a day without a line every fifth day.
DaySeries TenYears(const LocalDate& today)
{
    std::vector<HistoryDay> days;
    for (int ago = 3649; ago >= 0; --ago) {
        if (ago % 5 != 0)
            days.push_back(Day(AddDays(today, -ago), 100 + ago * 37 % 5000, 3600));
    }
    return MakeDaySeries(std::move(days), today);
}

TEST(ChartSpan, CommandLineWordsInAnyLetterCase)
{
    struct Case {
        const char* word;
        bool accepted;
        ChartSpan span;
    } cases[] = {
        {"30", true, ChartSpan::Last30Days},
        {"90", true, ChartSpan::Last90Days},
        {"365", true, ChartSpan::Last365Days},
        {"all", true, ChartSpan::All},
        {"ALL", true, ChartSpan::All},   // the command prompt ignores case
        {"aLl", true, ChartSpan::All},
        {"030", false, {}},              // no other spelling
        {"30 ", false, {}},
        {"7", false, {}},                // only the four spans offered
        {"", false, {}},
        {nullptr, false, {}},
    };
    for (const Case& c : cases) {
        ChartSpan span = ChartSpan::Last90Days;
        EXPECT_EQ(ParseChartSpan(c.word, span), c.accepted) << (c.word ? c.word : "(null)");
        EXPECT_EQ(span, c.accepted ? c.span : ChartSpan::Last90Days) << "a refused word changes nothing";
    }
    EXPECT_STREQ(ChartSpanCaption(ChartSpan::Last30Days), "過去 30 日");
    EXPECT_STREQ(ChartSpanCaption(ChartSpan::All), "全期間");
    EXPECT_EQ(DefaultChartSpan, ChartSpan::Last30Days);

    // The word for every key, in any letter case too; not a span's word.
    const struct {
        const char* word;
        bool accepted;
    } keyWords[] = {{"allkeys", true}, {"AllKeys", true}, {"all", false}, {"allkey", false}, {nullptr, false}};
    for (const auto& c : keyWords) {
        ChartKeys read = ChartKeys::DataFileKeys;
        EXPECT_EQ(ParseChartKeys(c.word, read), c.accepted) << (c.word ? c.word : "(null)");
        EXPECT_EQ(read, c.accepted ? ChartKeys::AllKeys : ChartKeys::DataFileKeys);
    }
}

TEST(ChartSpan, DateRangesReadOnlyInOrder)
{
    struct Case {
        const char* text;
        bool accepted;
        DateRange range;
    } cases[] = {
        {"2026-11-30..2026-12-06", true, {{2026, 11, 30}, {2026, 12, 6}}},
        {"2026-12-07..2026-12-07", true, {{2026, 12, 7}, {2026, 12, 7}}},   // one day
        {"2025-12-31..2026-01-01", true, {{2025, 12, 31}, {2026, 1, 1}}},   // across a year
        {"2026-12-06..2026-11-30", false, {}},                              // reversed
        {"2026-02-29..2026-03-01", false, {}},                              // no such day
        {"2026-11-30...2026-12-06", false, {}},
        {"2026-11-30-2026-12-06", false, {}},
        {"2026-11-30..", false, {}},
        {"", false, {}},
    };
    for (const Case& c : cases) {
        std::optional<DateRange> read = ParseDateRange(c.text);
        EXPECT_EQ(read.has_value(), c.accepted) << c.text;
        if (read && c.accepted) {
            EXPECT_EQ(*read, c.range) << c.text;
        }
    }
}

TEST(ChartSeries, StrokesPerHourAndTheTextsOfARange)
{
    EXPECT_EQ(StrokesPerHour(100, 1800), 200);
    EXPECT_EQ(StrokesPerHour(100, 0), 0);   // no time counted: no rate
    EXPECT_EQ(StrokesPerHour(LargestHistoryValue, 1), LargestHistoryValue);
    EXPECT_EQ(FormatGrouped(0), "0");
    EXPECT_EQ(FormatGrouped(1234567), "1,234,567");

    HistoryCounts sums;
    sums.seconds = 3 * 3600 + 25 * 60 + 59;
    sums.keys[4] = 377;     // e
    sums.keys[26] = 300;    // A
    sums.keys[64] = 300;    // up: a tie goes to the earlier key
    sums.keys[69] = 2;      // yen
    EXPECT_EQ(FormatRangeFigures(sums, ChartKeys::DataFileKeys, 0),
              "979 打鍵　起動時間 3 時間 25 分　285 打/h　打鍵速度 - 打/分");   // days without their minutes
    EXPECT_EQ(FormatKeysLine(sums, ChartKeys::DataFileKeys), "訂正率 0.0%　よく打ったキー: e 377、A 300、↑ 300");
    sums.activeMinutes = 12;
    sums.bestMinute = 140;
    std::string figures = FormatRangeFigures(sums, ChartKeys::DataFileKeys, 979);
    EXPECT_EQ(figures.substr(figures.find("打鍵速度")), "打鍵速度 82 打/分（最高 140）");   // 81.6 rounded
    sums.seconds = 59;
    EXPECT_EQ(FormatRangeFigures(sums, ChartKeys::DataFileKeys, 0).rfind("979 打鍵　起動時間 0 分　", 0), 0u)
        << "under an hour, minutes alone";
    EXPECT_EQ(FormatRangeFigures({}, ChartKeys::AllKeys, 0), "0 打鍵　起動時間 0 分　- 打/h　打鍵速度 - 打/分");
    EXPECT_EQ(FormatKeysLine({}, ChartKeys::AllKeys), "訂正率 -");   // no strokes, no share
    EXPECT_STREQ(KeyTable[KeyIndexOf("yen")].label, "￥");
    EXPECT_EQ(FormatJapaneseRange({{2026, 12, 7}, {2026, 12, 7}}), "2026年12月7日（月）");
    EXPECT_EQ(FormatJapaneseRange({{2026, 11, 30}, {2026, 12, 6}}), "2026年11月30日（月）～2026年12月6日（日）");
    EXPECT_EQ(FormatChartTitle("taro", ChartSpan::All, ChartKeys::AllKeys, {2024, 2, 29}),
              "taro　全期間　全キー　2024年2月29日（木）");
}

TEST(ChartSeries, CorrectionsInTenthsOfAPercentRoundedHalfUp)
{
    struct Case {
        int64_t backspace, others;
        int permille;
    } cases[] = {
        {0, 0, -1},      // a day without strokes has no share
        {1, 15, 63},     // 6.25%: half up
        {1, 1999, 1},    // 0.05%: half up to 0.1%
        {1, 2000, 0},    // just under half
        {1, 0, 1000},    // nothing but Backspace
        {LargestHistoryValue / 2, LargestHistoryValue / 2, 500},   // no overflow at the largest counts
    };
    for (const Case& c : cases) {
        HistoryCounts sums;
        sums.keys[KeyIndexOf("backspace")] = c.backspace;
        sums.keys[KeyIndexOf("a")] = c.others;
        EXPECT_EQ(CorrectionPermille(sums), c.permille) << c.backspace << " of " << c.backspace + c.others;
    }
}

// The calendar, the bars, the average and the figures count the strokes chosen.
TEST(ChartLayout, TheChoiceOfKeysIsCountedThroughout)
{
    const LocalDate today = {2026, 12, 7};
    HistoryDay typing = Day({2026, 12, 1}, 100, 3600);   // e 100
    typing.counts.keys[KeyIndexOf("space")] = 50;
    typing.counts.keys[KeyIndexOf("backspace")] = 10;
    DaySeries series = MakeDaySeries({typing, Day({2026, 12, 2}, 120, 3600)}, today);
    struct Case {
        ChartKeys keys;
        int64_t highest;      // of the calendar and the bars: the first day with every key, else the second
        int64_t average;      // over 30 bars
        const char* figures;
        const char* topKeys;
    } cases[] = {
        // Backspace's share is of every stroke, whichever the choice: 10 of 280.
        {ChartKeys::DataFileKeys, 120, 7, "220 打鍵　起動時間 2 時間 0 分　110 打/h　打鍵速度 - 打/分",
         "訂正率 3.6%　よく打ったキー: e 220"},
        {ChartKeys::AllKeys, 160, 9, "280 打鍵　起動時間 2 時間 0 分　140 打/h　打鍵速度 - 打/分",
         "訂正率 3.6%　よく打ったキー: e 220、スペース 50、Backspace 10"},
    };
    for (const Case& c : cases) {
        ChartLayout layout = LayOut(series, ChartSpan::Last30Days, Picture, std::nullopt, false, c.keys);
        ASSERT_TRUE(layout.usable);
        EXPECT_EQ(layout.calendarHighest, c.highest);
        EXPECT_EQ(layout.barHighest, c.highest);
        EXPECT_EQ(layout.average, c.average);
        EXPECT_EQ(layout.selectionFigures.text, c.figures);
        EXPECT_EQ(layout.selectionKeys.text, c.topKeys);
    }
}

TEST(ChartSeries, WeeksFromMondayAndMonthsAddUpTheirDays)
{
    const LocalDate today = {2024, 3, 6};   // a Wednesday in a leap year
    DaySeries series = MakeDaySeries({Day({2024, 2, 25}, 1, 60), Day({2024, 2, 26}, 10, 60, 5),
                                      Day({2024, 2, 29}, 100, 60), Day({2024, 3, 4}, 1000, 60),
                                      Day({2024, 3, 9}, 99999, 60)},   // after today: the clock was set back
                                     today);
    ASSERT_EQ(series.days.size(), 4u);

    struct Case {
        BarGrouping grouping;
        DateRange dates;
        int64_t strokes;
        int64_t seconds;
    } cases[] = {
        // The span starts on a Sunday: its first week is that day alone.
        {BarGrouping::Week, {{2024, 2, 25}, {2024, 2, 25}}, 1, 60},
        {BarGrouping::Week, {{2024, 2, 26}, {2024, 3, 3}}, 115, 120},   // Monday to Sunday, the leap day in it
        {BarGrouping::Week, {{2024, 3, 4}, {2024, 3, 6}}, 1000, 60},    // this week, to today
        {BarGrouping::Month, {{2024, 2, 25}, {2024, 2, 29}}, 116, 180},
        {BarGrouping::Month, {{2024, 3, 1}, {2024, 3, 6}}, 1000, 60},
    };
    for (BarGrouping grouping : {BarGrouping::Week, BarGrouping::Month}) {
        std::vector<DayBucket> buckets = GroupDays(series, {{2024, 2, 25}, today}, grouping, ChartKeys::DataFileKeys);
        std::size_t at = 0;
        for (const Case& c : cases) {
            if (c.grouping != grouping)
                continue;
            ASSERT_LT(at, buckets.size());
            EXPECT_EQ(buckets[at].dates, c.dates) << at;
            EXPECT_EQ(buckets[at].strokes, c.strokes) << at;
            EXPECT_EQ(buckets[at].counts.seconds, c.seconds) << at;
            ++at;
        }
        EXPECT_EQ(at, buckets.size());
    }
    DateRange week = {{2024, 2, 26}, {2024, 3, 3}};
    EXPECT_EQ(GroupDays(series, week, BarGrouping::Week, DefaultChartKeys)[0].counts.keys[26], 5);

    struct SpanCase {
        ChartSpan span;
        BarGrouping grouping;
        std::size_t bars;
    } spans[] = {
        {ChartSpan::Last30Days, BarGrouping::Day, 30},
        {ChartSpan::Last90Days, BarGrouping::Day, 90},
        {ChartSpan::Last365Days, BarGrouping::Week, 53},   // 2023-03-08, a Wednesday, to a Wednesday
        {ChartSpan::All, BarGrouping::Day, 11},            // from the first line, even if the span is short
    };
    for (const SpanCase& c : spans) {
        ChartLayout layout = LayOut(series, c.span, TabPage);
        EXPECT_EQ(layout.grouping, c.grouping) << ChartSpanWord(c.span);
        EXPECT_EQ(layout.bars.size(), c.bars) << ChartSpanWord(c.span);
    }
    DaySeries tenYears = TenYears(today);
    EXPECT_EQ(LayOut(tenYears, ChartSpan::All, TabPage).grouping, BarGrouping::Month);
    EXPECT_EQ(LayOut(tenYears, ChartSpan::All, TabPage).bars.size(), 121u);   // 2014-03 to 2024-03
}

TEST(ChartLayout, CellsInTheirWeekAndRowAcrossAYearAndALeapDay)
{
    const LocalDate today = {2024, 3, 6};   // a Wednesday
    DaySeries series = MakeDaySeries({Day({2023, 12, 31}, 7), Day({2024, 2, 29}, 29), Day({2024, 3, 6}, 6),
                                      Day({2024, 3, 7}, 1000)},   // after today
                                     today);
    ChartLayout layout = LayOut(series, ChartSpan::Last30Days, TabPage);
    ASSERT_TRUE(layout.usable);
    // 52 whole weeks from Monday 2023-03-06, then Monday to Wednesday.
    ASSERT_EQ(layout.cells.size(), 52u * 7 + 3);
    EXPECT_EQ(layout.cells.front().date, (LocalDate{2023, 3, 6}));
    EXPECT_EQ(layout.calendarHighest, 29) << "the day after today is not shown";
    struct Case {
        LocalDate date;
        int column, row;
        bool hasLine;
    } cases[] = {
        {{2023, 3, 6}, 0, 0, false},
        {{2023, 12, 31}, 42, 6, true},   // a Sunday: the last row
        {{2024, 1, 1}, 43, 0, false},    // the next Monday starts the next column
        {{2024, 2, 29}, 51, 3, true},    // the leap day, a Thursday
        {{2024, 3, 1}, 51, 4, false},
        {{2024, 3, 6}, 52, 2, true},     // today
    };
    for (const Case& c : cases) {
        std::size_t index = static_cast<std::size_t>(DayNumber(c.date) - DayNumber(layout.cells.front().date));
        const CalendarCell& cell = layout.cells.at(index);
        EXPECT_EQ(cell.date, c.date);
        EXPECT_EQ(cell.rect.left, layout.calendar.left + c.column * layout.cellPitch) << FormatLocalDate(c.date);
        EXPECT_EQ(cell.rect.top, layout.calendar.top + c.row * layout.cellPitch) << FormatLocalDate(c.date);
        EXPECT_EQ(cell.hasLine, c.hasLine) << FormatLocalDate(c.date);
        ChartHit hit = HitTestChart(layout, {cell.rect.left + 1, cell.rect.top + 1});
        EXPECT_EQ(hit.kind, ChartHitKind::Day);
        EXPECT_EQ(hit.dates, (DateRange{c.date, c.date}));
    }
    // "1月" stands over the column of January's first day.
    bool january = false;
    for (const ChartText& label : layout.monthLabels)
        january = january || (label.text == "1月" && label.rect.left == layout.calendar.left + 43 * layout.cellPitch);
    EXPECT_TRUE(january);
}

TEST(ChartLayout, EveryWeekdayAsTodayEndsTheLastColumn)
{
    for (int offset = 0; offset < 7; ++offset) {
        LocalDate today = AddDays({2026, 12, 7}, offset);   // a Monday, then each day after it
        ChartLayout layout = LayOut(MakeDaySeries({}, today), ChartSpan::Last30Days, TabPage);
        ASSERT_EQ(layout.cells.size(), 52u * 7 + offset + 1) << offset;
        EXPECT_EQ(WeekdayIndex(layout.cells.front().date), 0);
        EXPECT_EQ(layout.cells.back().date, today);
        EXPECT_EQ(layout.cells.back().rect.left, layout.calendar.left + 52 * layout.cellPitch);
    }
}

TEST(ChartLayout, RoundAxisSteps)
{
    struct Case {
        int64_t highest;
        int maxSteps;
        int64_t step, top;
    } cases[] = {
        {0, 4, 1, 1},            // an empty history: 0 to 1, no division by zero
        {1, 4, 1, 1},
        {7, 4, 2, 8},
        {10, 5, 2, 10},
        {1234, 4, 500, 1500},
        {999, 10, 100, 1000},
        {23, 1, 50, 50},
        {20001, 3, 10000, 30000},
        {LargestHistoryValue, 1, 1'000'000'000'000'000'000, 1'000'000'000'000'000'000},
        {-5, 0, 1, 1},           // nonsense in, an axis all the same
    };
    for (const Case& c : cases) {
        ValueAxis axis = RoundAxis(c.highest, c.maxSteps);
        EXPECT_EQ(axis.step, c.step) << c.highest;
        EXPECT_EQ(axis.top, c.top) << c.highest;
        EXPECT_EQ(axis.ticks.size(), static_cast<std::size_t>(c.top / c.step + 1)) << c.highest;
    }
}

TEST(ChartLayout, NoTextOverlapsAnotherAtTheTabsSizeOrThePictures)
{
    const LocalDate today = {2026, 12, 7};
    DaySeries tenYears = TenYears(today);
    DaySeries empty = MakeDaySeries({}, today);
    struct Case {
        const DaySeries* series;
        PixelRect canvas;
        bool withTitle;
        int programs;
    } cases[] = {
        {&tenYears, TabPage, false, 0},
        {&empty, TabPage, false, 0},
        {&tenYears, Picture, true, 0},
        {&empty, Picture, true, 0},
        {&tenYears, TabPage, false, 14},   // the list beside the bars
        {&tenYears, Picture, true, 14},
    };
    for (const Case& c : cases) {
        for (ChartSpan span : ChartSpans) {
            ChartLayout layout = LayOut(*c.series, span, c.canvas, DateRange{{2026, 11, 30}, {2026, 12, 6}},
                                        c.withTitle, DefaultChartKeys, Programs(c.programs));
            std::string what = std::to_string(c.canvas.right) + " " + ChartSpanWord(span);
            ASSERT_TRUE(layout.usable) << what;
            std::vector<ChartText> texts = AllTexts(layout);
            for (std::size_t i = 0; i < texts.size(); ++i) {
                EXPECT_TRUE(Inside(texts[i].rect, c.canvas)) << what << ": " << texts[i].text;
                for (std::size_t j = i + 1; j < texts.size(); ++j)
                    EXPECT_FALSE(Overlap(texts[i].rect, texts[j].rect))
                        << what << ": " << texts[i].text << " / " << texts[j].text;
            }
            EXPECT_FALSE(Overlap(layout.calendar, layout.plot)) << what;
            EXPECT_FALSE(Overlap(layout.calendar, layout.hoursGrid)) << what;
            EXPECT_TRUE(Inside(layout.hoursGrid, c.canvas)) << what;
            EXPECT_FALSE(Overlap(layout.speedKey, layout.rateCaption.rect)) << what;
            for (const ProgramRow& row : layout.programRows) {
                EXPECT_FALSE(Overlap(row.bar, layout.plot) || Overlap(row.bar, layout.ratePlot)) << what;
                EXPECT_TRUE(Inside(row.bar, c.canvas)) << what;
            }
            EXPECT_TRUE(Inside(layout.cells.back().rect, c.canvas)) << what;
            EXPECT_GE(layout.dateLabels.size(), c.series == &empty && span == ChartSpan::All ? 1u : 3u) << what;
        }
    }
    // The tab is small: with the hours beside it, the calendar's cells come
    // out at 5 pixels.
    ChartLayout tab = LayOut(tenYears, ChartSpan::Last30Days, TabPage);
    EXPECT_EQ(tab.cells.front().rect.right - tab.cells.front().rect.left, 5);
}

// The described days' programs: the largest ten and the others, or as many
// as the rows down to the rates' caption leave room for, the last of them
// the others.
TEST(ChartLayout, ProgramsRankedBesideTheBars)
{
    const LocalDate today = {2026, 12, 7};
    DaySeries tenYears = TenYears(today);
    const struct {
        PixelRect canvas;
        AppCounts programs;
        std::vector<std::string> apps;   // the rows' names, "" the others
        int64_t lastStrokes;
    } cases[] = {
        {Picture, {}, {}, 0},                                                           // none: no list
        {Picture, {{"idle.exe", 0}}, {}, 0},                                            // none with strokes
        {Picture, Programs(3), {"app03.exe", "app02.exe", "app01.exe"}, 1},             // all of them
        {Picture, Programs(14), {"app14.exe", "app13.exe", "app12.exe", "app11.exe", "app10.exe", "app09.exe",
                                 "app08.exe", "app07.exe", "app06.exe", "app05.exe", ""}, 10},  // ten, four together
        {{0, 0, 470, 310}, Programs(14), {"app14.exe", "app13.exe", "app12.exe", "app11.exe", "app10.exe",
                                          "app09.exe", ""},
         36},   // a tab page of 310 pixels has room for seven rows above the rates' caption
        {{0, 0, 470, 280}, Programs(14), {"app14.exe", "app13.exe", "app12.exe", "app11.exe", "app10.exe", ""},
         45},   // a lower one for six: five named, the nine others together
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        ChartLayout layout = LayOut(tenYears, ChartSpan::Last30Days, cases[i].canvas, std::nullopt, false,
                                    DefaultChartKeys, cases[i].programs);
        ChartLayout without = LayOut(tenYears, ChartSpan::Last30Days, cases[i].canvas);
        std::vector<std::string> apps;
        for (const ProgramRow& row : layout.programRows)
            apps.push_back(row.program.app);
        EXPECT_EQ(apps, cases[i].apps);
        if (apps.empty()) {
            EXPECT_EQ(layout.plot.right, without.plot.right);   // as if there were no programs
            continue;
        }
        EXPECT_LT(layout.plot.right, layout.programRows.front().bar.left);
        EXPECT_EQ(layout.programRows.back().program.strokes, cases[i].lastStrokes);
        // The bars shorten down the ranking; the largest row's is the column's width.
        int32_t longest = 0;
        for (std::size_t row = 0; row < layout.programRows.size(); ++row) {
            longest = std::max(longest, layout.programRows[row].bar.right);
            if (row > 0 && !layout.programRows[row].program.app.empty()) {
                EXPECT_LE(layout.programRows[row].bar.right, layout.programRows[row - 1].bar.right);
            }
        }
        EXPECT_EQ(longest, cases[i].canvas.right - std::max(4, ChartFontPixels(cases[i].canvas) / 2));   // the margin
    }
}

TEST(ChartLayout, AnEmptyHistoryShowsZerosFromAnAxisAtZero)
{
    ChartLayout layout = LayOut(MakeDaySeries({}, {2026, 12, 7}), ChartSpan::All, TabPage);
    ASSERT_TRUE(layout.usable);
    EXPECT_EQ(layout.bars.size(), 1u);   // today alone
    EXPECT_EQ(layout.valueAxis.top, 1);
    EXPECT_EQ(layout.average, 0);
    EXPECT_EQ(layout.averageY, layout.plot.bottom);
    EXPECT_TRUE(layout.bars[0].bar.IsEmpty());
    EXPECT_EQ(layout.legendHigh.text, "0");
    EXPECT_EQ(layout.selectionDate.text, "2026年12月7日（月）");
    EXPECT_EQ(layout.selectionFigures.text, "0 打鍵　起動時間 0 分　- 打/h　打鍵速度 - 打/分");
    EXPECT_EQ(layout.selectionKeys.text, "訂正率 -");
    EXPECT_EQ(layout.busiestHour.text, "時間帯の記録なし");
    EXPECT_FALSE(LayOut(MakeDaySeries({}, {2026, 12, 7}), ChartSpan::All, {0, 0, 120, 90}).usable);
}

TEST(ChartLayout, SelectionIsOutlinedAndDescribed)
{
    const LocalDate today = {2026, 12, 7};
    DaySeries series = MakeDaySeries({Day({2026, 11, 30}, 300, 1800), Day({2026, 12, 2}, 77, 1800, 10),
                                      Day(today, 5, 60)},
                                     today);
    ChartLayout layout = LayOut(series, ChartSpan::Last30Days, TabPage, DateRange{{2026, 11, 30}, {2026, 12, 6}});
    EXPECT_EQ(layout.selectedBarLast - layout.selectedBarFirst, 6);
    EXPECT_EQ(layout.selectedCellLast - layout.selectedCellFirst, 6);
    EXPECT_EQ(layout.selectionDate.text, "2026年11月30日（月）～2026年12月6日（日）");
    EXPECT_EQ(layout.selectionFigures.text, "387 打鍵　起動時間 1 時間 0 分　387 打/h　打鍵速度 - 打/分");
    EXPECT_EQ(layout.selectionKeys.text, "訂正率 0.0%　よく打ったキー: e 377、A 10");
    EXPECT_TRUE(Inside(layout.bars[layout.selectedBarFirst].bar, layout.barSelectionFrame));

    // No selection: the text speaks of the whole span, nothing is outlined.
    ChartLayout whole = LayOut(series, ChartSpan::Last30Days, TabPage);
    EXPECT_EQ(whole.selectedBarFirst, -1);
    EXPECT_EQ(whole.selectedCellFirst, -1);
    EXPECT_EQ(whole.selectionDate.text, "2026年11月8日（日）～2026年12月7日（月）");
    EXPECT_EQ(whole.selectionFigures.text.rfind("392 打鍵", 0), 0u);
}

// A bar's strokes per hour only where its days ran RatedSeconds: a few
// strokes in a few seconds would tower over every other day.
TEST(ChartLayout, RatesOnlyOfDaysThatRanLongEnough)
{
    const LocalDate today = {2026, 12, 7};
    const struct {
        int64_t seconds;   // of the day before today
        bool rated;
    } cases[] = {
        {16, false},                  // a start and an exit: 967,500 strokes an hour
        {RatedSeconds - 1, false},
        {RatedSeconds, true},
        {3600, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        DaySeries series =
            MakeDaySeries({Day(AddDays(today, -2), 600, 3600), Day(AddDays(today, -1), 4300, c.seconds)}, today);
        ChartLayout layout = LayOut(series, ChartSpan::Last30Days, TabPage);
        ASSERT_TRUE(layout.usable);
        const ChartBar& day = layout.bars[layout.bars.size() - 2];
        EXPECT_EQ(day.rated, c.rated);
        EXPECT_TRUE(layout.bars[layout.bars.size() - 3].rated);   // the hour's 600
        EXPECT_FALSE(layout.bars.back().rated) << "today, without a second";
        EXPECT_TRUE(layout.rateNote.text.empty()) << "a rate is shown";
        // The axis reaches the rates shown, no further.
        EXPECT_EQ(layout.rateAxis.top >= StrokesPerHour(4300, c.seconds), c.rated);
        EXPECT_GE(layout.rateAxis.top, 600);
        std::string figures = LayOut(series, ChartSpan::Last30Days, TabPage, DateRange{day.bucket.dates})
                                  .selectionFigures.text;
        EXPECT_EQ(figures.find("- 打/h") != std::string::npos, !c.rated) << figures;
    }
    // Without a rated bar the empty chart says why.
    ChartLayout firstDay = LayOut(MakeDaySeries({Day(today, 43, 16)}, today), ChartSpan::Last30Days, TabPage);
    EXPECT_EQ(firstDay.rateNote.text, "起動時間が 10 分以上の日はまだありません");
    EXPECT_TRUE(Inside(firstDay.rateNote.rect, firstDay.ratePlot));
    // A week's bar is rated by its days' time together.
    std::vector<HistoryDay> days;
    for (int ago = 300; ago > 0; --ago)
        days.push_back(Day(AddDays(today, -ago), 10, 120));   // two minutes a day
    ChartLayout weeks = LayOut(MakeDaySeries(days, today), ChartSpan::Last365Days, TabPage);
    ASSERT_EQ(weeks.grouping, BarGrouping::Week);
    EXPECT_TRUE(weeks.bars[weeks.bars.size() - 2].rated) << "fourteen minutes in a week";
}

// The selection's lines span the width even beside the programs' list, so
// that the longest figures line is shown whole at the tab's size.
TEST(ChartLayout, SelectionLinesTakeTheWholeWidthBelowTheList)
{
    const LocalDate today = {2026, 12, 7};
    DaySeries years = MakeDaySeries({Day(AddDays(today, -3000), 99'999'999, 9999 * 3600 + 59 * 60)}, today);
    ChartLayout layout = LayOut(years, ChartSpan::All, TabPage, std::nullopt, false, DefaultChartKeys, Programs(14));
    ASSERT_FALSE(layout.programRows.empty());
    for (const ChartText* line : {&layout.selectionDate, &layout.selectionFigures, &layout.selectionKeys}) {
        EXPECT_EQ(line->rect.right, TabPage.right - std::max(4, layout.fontPixels / 2));
        EXPECT_LE(SixPixelsAByte(nullptr, line->text), line->rect.right - line->rect.left) << line->text;
        EXPECT_LE(layout.programRows.back().name.bottom, line->rect.top);
    }
}

TEST(ChartLayout, ArrowKeysHitsAndDragsStayAmongTheDaysShown)
{
    const LocalDate today = {2026, 12, 7};
    DaySeries series = TenYears(today);
    ChartLayout days = LayOut(series, ChartSpan::Last30Days, TabPage);
    ChartLayout weeks = LayOut(series, ChartSpan::Last365Days, TabPage);
    const DateRange monday = {{2026, 12, 7}, {2026, 12, 7}};
    const DateRange firstBar = days.bars.front().bucket.dates;
    const DateRange firstCell = {days.cells.front().date, days.cells.front().date};
    struct Case {
        const ChartLayout* layout;
        std::optional<DateRange> from;
        ChartMove move;
        DateRange to;
    } cases[] = {
        {&days, std::nullopt, ChartMove::PreviousDay, monday},              // nothing selected: today
        {&days, std::nullopt, ChartMove::PreviousBar, monday},              // nothing selected: the last bar
        {&days, monday, ChartMove::NextDay, monday},                        // never after today
        {&days, monday, ChartMove::NextBar, monday},
        {&days, monday, ChartMove::PreviousDay, {{2026, 12, 6}, {2026, 12, 6}}},
        {&days, firstBar, ChartMove::PreviousBar, firstBar},                // the first bar stays
        {&days, firstCell, ChartMove::PreviousDay, firstCell},              // the calendar's first day stays
        {&days, firstCell, ChartMove::NextBar, firstBar},                   // from before the bars: the first
        {&weeks, monday, ChartMove::PreviousBar, {{2026, 11, 30}, {2026, 12, 6}}},   // a week a bar
        {&weeks, DateRange{{2026, 11, 30}, {2026, 12, 6}}, ChartMove::NextDay, monday},
        {&weeks, DateRange{{2026, 12, 2}, {2026, 12, 2}}, ChartMove::NextBar, monday},  // a day in a week
    };
    for (const Case& c : cases)
        EXPECT_EQ(MoveSelection(*c.layout, c.from, c.move), c.to)
            << static_cast<int>(c.move) << " " << FormatLocalDate(c.to.first);

    // A point anywhere over a bar's column, even above a short bar, hits it.
    const ChartBar& bar = days.bars[10];
    ChartHit hit = HitTestChart(days, {bar.slot.left, days.plot.top});
    EXPECT_EQ(hit.kind, ChartHitKind::Bar);
    EXPECT_EQ(hit.index, 10);
    EXPECT_EQ(HitTestChart(days, {bar.slot.right - 1, days.ratePlot.bottom - 1}).index, 10);
    EXPECT_EQ(HitTestChart(days, {days.plot.left - 1, days.plot.top}).kind, ChartHitKind::None);
    // Dragged leftwards from bar 10 to beyond the plot: the first 11 bars.
    EXPECT_EQ(DragAcrossBars(days, {bar.slot.left + 1, days.plot.top + 5}, {0, 0}),
              (DateRange{days.bars[0].bucket.dates.first, bar.bucket.dates.last}));
    EXPECT_FALSE(DragAcrossBars(days, {0, 0}, {bar.slot.left, days.plot.top}).has_value());
}

} // namespace
