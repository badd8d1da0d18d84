#pragma once
// Where the daily chart goes on a canvas of any size, from the statistics
// window's tab page to the 1200-pixel picture file, so that both draw the same
// thing. From the top:
//
// - a year at a glance: the last 53 weeks ending today, weeks as columns
//   and Monday to Sunday as rows, one cell a day, with the weekday and month
//   labels and a legend of the colour scale from 0 to the highest day;
//   right of it on the same rows the hours of the week of the described
//   days (below), 24 columns of clock hours on the same scale from 0 to the
//   busiest hour, which the line under them names;
// - the daily totals of a span: one bar a day, a week or a month, a value
//   axis in round steps, thinned date labels, the span's average as a line,
//   and beneath it a chart of rates: each bar's strokes per hour, where its
//   days ran long enough (RatedSeconds), on an axis of its own, and its
//   typing speed (strokes per active minute), where its days kept their
//   minutes, on an axis on the right;
// - three lines across the whole width on the selection (a day, a bar's
//   days, or bars dragged across), or on the whole span when nothing is
//   selected;
// - when those days have strokes per program (or shortcuts, as chosen), a
//   column right of the bars, down to the rates' caption, that ranks them:
//   the largest (ten, or as many as the rows leave room for) and the others
//   together, with strokes and share.
//
// The caller's font measures the texts. Rectangles are in the canvas's
// pixels, right and bottom exclusive. Work is in proportion to what is shown:
// 371 cells and 168 hours, the bars, and the days with lines among them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/chart_span.h"
#include "chart/day_series.h"
#include "history/app_days.h"
#include "programs/program_table.h"
#include "paint/pixel_geometry.h"

// Text as the caller's font measures it: GDI's in the painter, a fixed pitch
// in the tests. Without a width function every byte of code page 932 takes
// half the font's height (a full-width character the whole of it).
struct ChartTextMeasure {
    int lineHeight = 0;   // one line of text; 0: the font's height and 2
    int (*width)(const void* context, std::string_view text) = nullptr;
    const void* context = nullptr;
};

struct ChartView {
    ChartSpan span = DefaultChartSpan;
    ChartKeys keys = DefaultChartKeys;    // whose strokes the calendar, bars and figures count
    std::optional<DateRange> selection;   // none: the text speaks of the whole span
    bool withTitle = false;               // a line at the top for the caller's title
    // The described days' programs or shortcuts, the whole ranking
    // (RankApps); null or none: no list. Ranked once when they change, not
    // at each drawing.
    const std::vector<RankedApp>* ranked = nullptr;
    ChartList list = DefaultChartList;   // which of the two is ranked
};

// The character height of the chart's texts on a canvas: 11 pixels on the
// tab page, up to 16 on a large picture.
int ChartFontPixels(const PixelRect& canvas);

constexpr int CalendarWeeks = 53;
// Below this pitch the calendar's cells are not legible: nothing is drawn.
constexpr int SmallestCellPitch = 3;

struct ChartText {
    PixelRect rect;
    std::string text;   // code page 932
};

struct CalendarCell {
    PixelRect rect;
    LocalDate date;
    int64_t strokes = 0;
    bool hasLine = false;   // without a line in the history: an outline only
};

struct AxisTick {
    int32_t y = 0;
    int64_t value = 0;
    ChartText label;   // right-aligned left of the plot, centred on y
};

// An axis from 0 to top in equal steps of 1, 2 or 5 times a power of ten.
struct ValueAxis {
    int64_t step = 1;
    int64_t top = 1;
    std::vector<AxisTick> ticks;   // 0, step, ... top
};

// The fewest ticks of a round step that reach highest in at most maxSteps
// steps (at least one); highest 0 gives an axis from 0 to 1.
ValueAxis RoundAxis(int64_t highest, int maxSteps);
// The smallest round step that reaches highest in exactly steps steps (at
// least one): a second axis whose ticks fall on the first one's.
ValueAxis AxisOfSteps(int64_t highest, int steps);

struct ChartBar {
    DayBucket bucket;
    int64_t strokesPerHour = 0;
    PixelRect slot;      // the bar's column over the plot, for hit tests
    PixelRect bar;       // its filled part; empty at 0
    bool rated = false;  // its days ran long enough for a rate to mean something
    PixelPoint rate;     // its point in the strokes-per-hour chart, when rated
    int64_t speed = -1;  // its typing speed; -1: its days kept no minutes
    PixelPoint speedPoint;   // on the speed's axis, when it has one
};

// An hour of the week: a weekday's clock hour over the described days.
struct HourCell {
    PixelRect rect;
    int64_t strokes = 0;
};

// A program's row in the list, over a bar of its strokes against the
// largest row's: its name (UTF-8, empty for the others together) clipped to
// name, its strokes (1,234) and share (41.7%) right-aligned in theirs.
struct ProgramRow {
    RankedApp program;
    PixelRect name, bar, strokes, share;
};

// The most programs the list names; the rest are one row.
constexpr std::size_t ListedPrograms = 10;

struct ChartLayout {
    bool usable = false;   // false: the canvas is too small and nothing is drawn
    PixelRect canvas;
    int fontPixels = 0;
    int lineHeight = 0;
    int titleFontPixels = 0;   // 0 without a title
    PixelRect title;

    // A year at a glance.
    std::vector<CalendarCell> cells;   // oldest first: the Monday 52 weeks before this week's, to today
    PixelRect calendar;                // the 53 columns
    int cellPitch = 0;                 // a cell and the gap after it
    std::vector<ChartText> weekdayLabels;
    std::vector<ChartText> monthLabels;
    int64_t calendarHighest = 0;
    PixelRect noLineKey;               // an outline-only cell, and beside it
    ChartText noLineText;              //   記録なし
    ChartText legendLow;               // 0
    std::vector<PixelRect> legendSteps;   // cells from the pale end to the warm one
    ChartText legendHigh;              // the highest day

    // The hours of the week, right of the calendar with its rows' pitch.
    PixelRect hoursGrid;               // the 24 columns
    std::vector<HourCell> hourCells;   // in WeekHours' order: Monday's hours first
    int64_t hoursHighest = 0;          // 0: no hour has a stroke, and the cells are outlines
    std::vector<ChartText> hourLabels;          // 0, 3, 6 ... over their columns
    std::vector<ChartText> hourWeekdayLabels;   // left of the grid
    ChartText busiestHour;             // いちばん打つのは 火曜 10 時台, or 時間帯の記録なし

    // The daily totals.
    DateRange spanDates;
    BarGrouping grouping = BarGrouping::Day;
    ChartText barCaption;              // 日ごとの打鍵数（過去 30 日）
    PixelRect averageKey;              // a stretch of the average's dashed line, and beside it
    ChartText averageText;             //   平均 1,234 打鍵/日
    PixelRect plot;
    ValueAxis valueAxis;
    std::vector<ChartBar> bars;
    int64_t barHighest = 0;
    int64_t average = 0;               // the bars' mean
    int32_t averageY = 0;
    std::vector<ChartText> dateLabels;   // under the bars they name, never overlapping
    // The rates under the bars, across the whole width: the list beside the
    // bars ends above them.
    ChartText rateCaption;             // 1 時間あたりの打鍵数（起動時間 10 分以上）
    PixelRect speedKey;                // right on that line: a stretch of the speed's line, and beside it
    ChartText speedText;               //   打鍵速度（入力していた 1 分あたり）
    PixelRect ratePlot;
    ValueAxis rateAxis;
    ValueAxis speedAxis;               // its labels right of the plot, on the rate axis's ticks
    ChartText rateNote;                // in the plot when no bar has a rate; else empty

    // The selection, outlined where it shows.
    std::optional<DateRange> selection;
    int selectedCellFirst = -1, selectedCellLast = -1;   // indices into cells; -1: none shown
    int selectedBarFirst = -1, selectedBarLast = -1;     // indices into bars; -1: none shown
    PixelRect barSelectionFrame;       // around the selected bars
    ChartText selectionDate;           // 2026年12月7日（月） or first～last
    ChartText selectionFigures;        // strokes, time, strokes per hour, the typing speed
    ChartText selectionKeys;           // 訂正率, よく打ったキー: the three most struck

    // The described days' programs or shortcuts, ranked; no rows: no list.
    ChartText programsCaption;         // アプリごとの打鍵数, ショートカットごとの回数
    std::vector<ProgramRow> programRows;
};

ChartLayout LayOutChart(const DaySeries& series, const ChartView& view, const PixelRect& canvas,
                        const ChartTextMeasure& measure);

enum class ChartHitKind { None, Day, Bar };

struct ChartHit {
    ChartHitKind kind = ChartHitKind::None;
    int index = -1;      // into cells or bars
    DateRange dates;     // the day, or the bar's days
};

// A calendar cell, or a bar: its column over the plot, the date labels and
// the strokes-per-hour chart.
ChartHit HitTestChart(const ChartLayout& layout, PixelPoint point);

// The days of the bars from the one under from to the one nearest to (a drag
// across the bars, either way); none when from is on no bar.
std::optional<DateRange> DragAcrossBars(const ChartLayout& layout, PixelPoint from, PixelPoint to);

// The arrow keys. Left and right select the bar before the first selected one
// and the bar after the last (the last bar when nothing is selected); up and
// down select the day before the selection's first day and the day after its
// last (today when nothing is selected). The selection stays among the days
// shown: from the calendar's first day or the span's, whichever is earlier,
// to today.
enum class ChartMove { PreviousBar, NextBar, PreviousDay, NextDay };
DateRange MoveSelection(const ChartLayout& layout, const std::optional<DateRange>& selection, ChartMove move);
