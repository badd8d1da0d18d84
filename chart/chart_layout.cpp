#include "chart/chart_layout.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr int DaysPerWeek = 7;
constexpr int LegendStepCount = 5;

struct TextRuler {
    const ChartTextMeasure& measure;
    int fontPixels;

    int Width(std::string_view text) const
    {
        if (measure.width != nullptr)
            return measure.width(measure.context, text);
        return static_cast<int>(text.size()) * fontPixels / 2;
    }
};

ChartText TextAt(int left, int top, int width, int height, std::string text)
{
    return {{left, top, left + width, top + height}, std::move(text)};
}

// Where a value stands on an axis drawn from bottom (0) up height pixels.
int32_t AxisY(int64_t value, const ValueAxis& axis, int32_t bottom, int height)
{
    double share = static_cast<double>(value) / static_cast<double>(axis.top);
    return bottom - static_cast<int32_t>(std::lround(std::clamp(share, 0.0, 1.0) * height));
}

// The ticks' places and texts, right-aligned to end a gap before plotLeft.
void PlaceTicks(ValueAxis& axis, const PixelRect& plot, int plotLeftGap, int line, const TextRuler& ruler)
{
    for (AxisTick& tick : axis.ticks) {
        tick.y = AxisY(tick.value, axis, plot.bottom, plot.bottom - plot.top);
        std::string text = FormatGrouped(tick.value);
        int width = ruler.Width(text);
        int right = plot.left - plotLeftGap;
        tick.label = TextAt(right - width, tick.y - line / 2, width, line, std::move(text));
    }
}

// The ticks of a second axis, on the first one's places, left-aligned a gap
// right of the plot.
void PlaceRightTicks(ValueAxis& axis, const ValueAxis& beside, const PixelRect& plot, int gap, int line,
                     const TextRuler& ruler)
{
    for (std::size_t i = 0; i < axis.ticks.size() && i < beside.ticks.size(); ++i) {
        AxisTick& tick = axis.ticks[i];
        tick.y = beside.ticks[i].y;
        std::string text = FormatGrouped(tick.value);
        int width = ruler.Width(text);
        tick.label = TextAt(plot.right + gap, tick.y - line / 2, width, line, std::move(text));
    }
}

int WidestTick(const ValueAxis& axis, const TextRuler& ruler)
{
    int widest = 0;
    for (const AxisTick& tick : axis.ticks)
        widest = std::max(widest, ruler.Width(FormatGrouped(tick.value)));
    return widest;
}

// By BarGrouping: the bars' caption and the average's unit.
struct GroupingTexts {
    const char* caption;
    const char* perBar;
};
constexpr GroupingTexts Groupings[] = {{"日ごと", " 打鍵/日"}, {"週ごと", " 打鍵/週"}, {"月ごと", " 打鍵/月"}};

const GroupingTexts& TextsOf(BarGrouping grouping) { return Groupings[static_cast<int>(grouping)]; }

std::string BucketLabel(const DateRange& dates, BarGrouping grouping)
{
    const LocalDate& date = dates.first;
    if (grouping == BarGrouping::Month)
        return std::to_string(date.year) + "/" + std::to_string(date.month);
    return std::to_string(date.month) + "/" + std::to_string(date.day);
}

// How many bars from one date label to the next: the first round number of
// bars (a week, a quarter, a year ...) that leaves room for a label.
int LabelStride(BarGrouping grouping, double barsPerLabel)
{
    static const int DayStrides[] = {1, 2, 3, 7, 14, 28};
    static const int WeekStrides[] = {1, 2, 4, 13, 26, 52};
    static const int MonthStrides[] = {1, 2, 3, 6, 12, 24, 60, 120};
    const int* strides = DayStrides;
    int count = std::size(DayStrides);
    if (grouping == BarGrouping::Week) {
        strides = WeekStrides;
        count = std::size(WeekStrides);
    } else if (grouping == BarGrouping::Month) {
        strides = MonthStrides;
        count = std::size(MonthStrides);
    }
    for (int i = 0; i < count; ++i) {
        if (strides[i] >= barsPerLabel)
            return strides[i];
    }
    double stride = strides[count - 1];
    while (stride < barsPerLabel)
        stride *= 2;
    return stride >= 1e9 ? 1'000'000'000 : static_cast<int>(stride);
}

// A label moved inside [low, high) and kept if it leaves a gap to the last
// one kept: on its left, or on its right when the labels come leftwards.
bool KeepApart(std::vector<ChartText>& kept, ChartText label, int gap, int low, int high, bool leftwards = false)
{
    int width = label.rect.right - label.rect.left;
    if (label.rect.left < low) {
        label.rect.left = low;
        label.rect.right = low + width;
    }
    if (label.rect.right > high) {
        label.rect.right = high;
        label.rect.left = high - width;
    }
    if (label.rect.left < low)
        return false;
    if (!kept.empty() && (leftwards ? label.rect.right + gap > kept.back().rect.left
                                    : label.rect.left < kept.back().rect.right + gap))
        return false;
    kept.push_back(std::move(label));
    return true;
}

void LayOutCalendar(ChartLayout& layout, const DaySeries& series, ChartKeys keys, int monthTop, int gap, int high,
                    const TextRuler& ruler)
{
    const std::vector<int64_t>& strokes = StrokesOfDays(series, keys);
    int line = layout.lineHeight;
    int pitch = layout.cellPitch;
    int cellGap = pitch >= 8 ? std::max(1, pitch / 8) : 1;
    int32_t today = DayNumber(series.today);
    int32_t firstCell = DayNumber(WeekStart(series.today)) - (CalendarWeeks - 1) * DaysPerWeek;

    layout.cells.resize(static_cast<std::size_t>(today - firstCell + 1));
    std::size_t day = FirstDayFrom(series, firstCell);
    for (int32_t i = 0; i < static_cast<int32_t>(layout.cells.size()); ++i) {
        CalendarCell& cell = layout.cells[i];
        int left = layout.calendar.left + i / DaysPerWeek * pitch;
        int top = layout.calendar.top + i % DaysPerWeek * pitch;
        cell.rect = {left, top, left + pitch - cellGap, top + pitch - cellGap};
        cell.date = DateOfDayNumber(firstCell + i);
        if (day < series.days.size() && series.dayNumbers[day] == firstCell + i) {
            cell.hasLine = true;
            cell.strokes = strokes[day];
            layout.calendarHighest = std::max(layout.calendarHighest, cell.strokes);
            ++day;
        }
    }

    // Every row's name where the rows are a line high; else every second or third.
    int rowsPerLabel = (line + pitch - 1) / pitch;
    for (int row = 0; row < DaysPerWeek; row += rowsPerLabel) {
        std::string_view name = WeekdayName(row);
        int width = ruler.Width(name);
        int centre = layout.calendar.top + row * pitch + (pitch - cellGap) / 2;
        layout.weekdayLabels.push_back(
            TextAt(layout.calendar.left - gap - width, centre - line / 2, width, line, std::string(name)));
    }

    // A month's name over the column of its first day; the first column's
    // month only where it leaves room for the next.
    auto monthLabel = [&](int column, int month) {
        std::string text = std::to_string(month) + "月";
        int width = ruler.Width(text);
        return TextAt(layout.calendar.left + column * pitch, monthTop, width, line, std::move(text));
    };
    for (int column = 0; column < CalendarWeeks; ++column) {
        int32_t start = firstCell + column * DaysPerWeek;
        if (start > today)
            break;
        LocalDate date = DateOfDayNumber(start);
        int untilFirst = date.day == 1 ? 0 : DaysInMonth(date.year, date.month) - date.day + 1;
        if (untilFirst >= DaysPerWeek || start + untilFirst > today)
            continue;
        int month = date.day == 1 ? date.month : date.month % 12 + 1;
        KeepApart(layout.monthLabels, monthLabel(column, month), gap * 2, layout.calendar.left, high);
    }
    LocalDate firstDate = DateOfDayNumber(firstCell);
    if (firstDate.day != 1) {
        ChartText first = monthLabel(0, firstDate.month);
        if (layout.monthLabels.empty() || first.rect.right + gap * 2 <= layout.monthLabels.front().rect.left)
            layout.monthLabels.insert(layout.monthLabels.begin(), std::move(first));
    }
}

// The hours of the week in hoursGrid, on the calendar's rows: the weekdays'
// names left of it, hours over its columns as far apart as their texts
// need (every third, sixth or twelfth), the busiest hour named under it,
// from its labels' left edge or, when that leaves too little room, ending at
// high; in the short form when even that leaves the legend no room.
void LayOutHours(ChartLayout& layout, const WeekHours& week, int monthTop, int legendTop, int gap, int high,
                 const TextRuler& ruler)
{
    const int line = layout.lineHeight;
    const int pitch = layout.cellPitch;
    const int cellGap = pitch >= 8 ? std::max(1, pitch / 8) : 1;
    const PixelRect& grid = layout.hoursGrid;
    layout.hoursHighest = week.Highest();
    layout.hourCells.resize(WeekHourCount);
    for (int cell = 0; cell < WeekHourCount; ++cell) {
        int left = grid.left + cell % HoursOfDay * pitch;
        int top = grid.top + cell / HoursOfDay * pitch;
        layout.hourCells[cell] = {{left, top, left + pitch - cellGap, top + pitch - cellGap}, week.strokes[cell]};
    }
    for (const ChartText& weekday : layout.weekdayLabels) {
        ChartText label = weekday;
        int width = label.rect.right - label.rect.left;
        label.rect.right = grid.left - gap;
        label.rect.left = label.rect.right - width;
        layout.hourWeekdayLabels.push_back(std::move(label));
    }
    int stride = 3;
    while (stride < 12 && stride * pitch < ruler.Width("00") + gap * 2)
        stride *= 2;
    for (int hour = 0; hour < HoursOfDay; hour += stride) {
        std::string text = std::to_string(hour);
        int width = ruler.Width(text);
        KeepApart(layout.hourLabels, TextAt(grid.left + hour * pitch, monthTop, width, line, std::move(text)), gap,
                  grid.left, high);
    }

    // A line apart from the calendar's legend, which moves left for it.
    const int legendWidth = layout.calendar.right - layout.noLineKey.left;
    const int low = layout.calendar.left + legendWidth + line;
    int labelsLeft = layout.hourWeekdayLabels.empty() ? grid.left : layout.hourWeekdayLabels.front().rect.left;
    for (bool shortForm : {false, true}) {
        std::string text = FormatBusiestHour(week, shortForm);
        int width = ruler.Width(text);
        int left = std::max(low, std::min(labelsLeft, high - width));
        if (left + width <= high || shortForm) {
            layout.busiestHour = TextAt(left, legendTop, width, line, std::move(text));
            break;
        }
    }
    int shift = std::max(0, layout.calendar.right + line - layout.busiestHour.rect.left);
    for (PixelRect* rect : {&layout.noLineKey, &layout.noLineText.rect, &layout.legendLow.rect, &layout.legendHigh.rect}) {
        rect->left -= shift;
        rect->right -= shift;
    }
    for (PixelRect& step : layout.legendSteps) {
        step.left -= shift;
        step.right -= shift;
    }
}

// Right-aligned to the calendar's right edge: 記録なし beside an outline-only
// cell, then 0, cells up the scale, and the highest day.
void LayOutLegend(ChartLayout& layout, int top, int gap, const TextRuler& ruler)
{
    int line = layout.lineHeight;
    int cell = layout.cells.empty() ? layout.cellPitch : layout.cells.front().rect.right - layout.cells.front().rect.left;
    int cellTop = top + (line - cell) / 2;
    int x = layout.calendar.right;
    auto text = [&](std::string value) {
        int width = ruler.Width(value);
        x -= width;
        return TextAt(x, top, width, line, std::move(value));
    };
    layout.legendHigh = text(FormatGrouped(layout.calendarHighest));
    x -= gap;
    layout.legendSteps.resize(LegendStepCount);
    for (int step = LegendStepCount - 1; step >= 0; --step) {
        layout.legendSteps[step] = {x - cell, cellTop, x, cellTop + cell};
        x -= layout.cellPitch;
    }
    x -= gap;
    layout.legendLow = text("0");
    x -= line;
    layout.noLineText = text("記録なし");
    x -= gap;
    layout.noLineKey = {x - cell, cellTop, x, cellTop + cell};
}

void PlaceBars(ChartLayout& layout)
{
    const PixelRect& plot = layout.plot;
    int64_t width = plot.right - plot.left;
    int64_t count = static_cast<int64_t>(layout.bars.size());
    int plotHeight = plot.bottom - plot.top;
    int rateHeight = layout.ratePlot.bottom - layout.ratePlot.top;
    for (int64_t i = 0; i < count; ++i) {
        ChartBar& bar = layout.bars[i];
        int32_t left = plot.left + static_cast<int32_t>(i * width / count);
        int32_t right = std::max(left + 1, plot.left + static_cast<int32_t>((i + 1) * width / count));
        int slotWidth = right - left;
        int barGap = slotWidth >= 4 ? std::max(1, slotWidth / 5) : slotWidth >= 2 ? 1 : 0;
        bar.slot = {left, plot.top, right, plot.bottom};
        int32_t top = AxisY(bar.bucket.strokes, layout.valueAxis, plot.bottom, plotHeight);
        if (bar.bucket.strokes > 0 && top == plot.bottom)
            top = plot.bottom - 1;   // a day with strokes never looks like one without
        bar.bar = {left, top, right - barGap, plot.bottom};
        if (bar.rated)
            bar.rate = {(left + right - barGap) / 2,
                        AxisY(bar.strokesPerHour, layout.rateAxis, layout.ratePlot.bottom, rateHeight)};
        if (bar.speed >= 0)
            bar.speedPoint = {(left + right - barGap) / 2,
                              AxisY(bar.speed, layout.speedAxis, layout.ratePlot.bottom, rateHeight)};
    }
}

void LayOutDateLabels(ChartLayout& layout, int top, int gap, int high, const TextRuler& ruler)
{
    int count = static_cast<int>(layout.bars.size());
    if (count == 0)
        return;
    int widest = ruler.Width(layout.grouping == BarGrouping::Month ? "0000/00" : "00/00");
    double barPitch = static_cast<double>(layout.plot.right - layout.plot.left) / count;
    int stride = LabelStride(layout.grouping, (widest + gap * 2) / barPitch);
    // From the latest bar back, so that today's bar is always named.
    for (int i = count - 1; i >= 0; i -= stride) {
        const ChartBar& bar = layout.bars[i];
        std::string text = BucketLabel(bar.bucket.dates, layout.grouping);
        int width = ruler.Width(text);
        int centre = (bar.bar.left + bar.bar.right) / 2;
        KeepApart(layout.dateLabels, TextAt(centre - width / 2, top, width, layout.lineHeight, std::move(text)),
                  gap * 2, layout.plot.left, high, true);
    }
    std::reverse(layout.dateLabels.begin(), layout.dateLabels.end());
}

void MarkSelection(ChartLayout& layout, const HistoryCounts& sums, int64_t timedStrokes, const DateRange& range,
                   ChartKeys keys)
{
    if (layout.selection && !layout.cells.empty()) {
        int32_t base = DayNumber(layout.cells.front().date);
        int32_t first = std::max(DayNumber(layout.selection->first) - base, 0);
        int32_t last = std::min<int32_t>(DayNumber(layout.selection->last) - base,
                                         static_cast<int32_t>(layout.cells.size()) - 1);
        if (first <= last) {
            layout.selectedCellFirst = first;
            layout.selectedCellLast = last;
        }
    }
    if (layout.selection) {
        for (int i = 0; i < static_cast<int>(layout.bars.size()); ++i) {
            const DateRange& dates = layout.bars[i].bucket.dates;
            if (dates.last < layout.selection->first || layout.selection->last < dates.first)
                continue;
            if (layout.selectedBarFirst < 0)
                layout.selectedBarFirst = i;
            layout.selectedBarLast = i;
        }
    }
    if (layout.selectedBarFirst >= 0) {
        int32_t top = layout.plot.bottom - 2;
        for (int i = layout.selectedBarFirst; i <= layout.selectedBarLast; ++i)
            top = std::min(top, layout.bars[i].bar.top);
        layout.barSelectionFrame = {layout.bars[layout.selectedBarFirst].bar.left - 2, top - 2,
                                    layout.bars[layout.selectedBarLast].bar.right + 2, layout.plot.bottom + 2};
    }
    layout.selectionDate.text = FormatJapaneseRange(range);
    layout.selectionFigures.text = FormatRangeFigures(sums, keys, timedStrokes);
    layout.selectionKeys.text = FormatKeysLine(sums, keys);
}

// The ranked programs (or shortcuts) from top down, in rows a line high from
// left to right: as many as fit, the last of them the others together when
// some are left.
void LayOutProgramList(ChartLayout& layout, const std::vector<RankedApp>& programs, ChartList list, std::size_t named,
                       int left,
                       int right, int top, int rows, int gap, const TextRuler& ruler)
{
    const int line = layout.lineHeight;
    std::string caption = ChartListHeading(list);
    layout.programsCaption = TextAt(left, top, ruler.Width(caption), line, caption);
    const std::size_t room = static_cast<std::size_t>(rows);
    std::vector<RankedApp> ranked =
        TopOfRanking(programs, named <= room ? ListedPrograms : std::min(ListedPrograms, room - 1));
    for (RankedApp& app : ranked) {
        if (app.app == OtherApps)
            app.app.clear();   // the programs past the limits are the others' row
    }
    int64_t largest = 1;
    for (const RankedApp& app : ranked)
        largest = std::max(largest, app.strokes);
    // The largest count is the widest.
    const int shareLeft = right - ruler.Width("100.0%");
    const int strokesLeft = shareLeft - gap * 2 - ruler.Width(FormatGrouped(largest));
    int y = top + line + gap;
    for (RankedApp& app : ranked) {
        int length = static_cast<int>(static_cast<double>(right - left) * static_cast<double>(app.strokes) /
                                      static_cast<double>(largest));
        layout.programRows.push_back({std::move(app),
                                      {left + 2, y, strokesLeft - gap, y + line},
                                      {left, y + 1, left + std::max(length, 1), y + line - 1},
                                      {strokesLeft, y, shareLeft - gap * 2, y + line},
                                      {shareLeft, y, right, y + line}});
        y += line;
    }
}

} // namespace

int ChartFontPixels(const PixelRect& canvas)
{
    int width = canvas.right - canvas.left;
    int height = canvas.bottom - canvas.top;
    return std::clamp(std::min(width / 42, height / 27), 11, 16);
}

ValueAxis RoundAxis(int64_t highest, int maxSteps)
{
    highest = std::clamp<int64_t>(highest, 0, LargestHistoryValue);
    maxSteps = std::max(maxSteps, 1);
    // The largest value needs one step of its own size at most: the loop ends
    // by 10^18 at the latest, far from overflowing.
    for (int64_t power = 1;; power *= 10) {
        for (int64_t multiple : {1, 2, 5}) {
            int64_t step = multiple * power;
            int64_t steps = std::max<int64_t>(highest / step + (highest % step != 0), 1);
            if (steps <= maxSteps)
                return AxisOfSteps(steps * step, static_cast<int>(steps));
        }
    }
}

ValueAxis AxisOfSteps(int64_t highest, int steps)
{
    highest = std::clamp<int64_t>(highest, 0, LargestHistoryValue);
    steps = std::max(steps, 1);
    ValueAxis axis;
    // A step of 10^18 reaches the largest value in one: the loop ends there.
    for (int64_t power = 1;; power *= 10) {
        for (int64_t multiple : {1, 2, 5}) {
            int64_t step = multiple * power;
            if (step >= highest || (highest - 1) / step + 1 <= steps) {
                axis.step = step;
                axis.top = steps * step;
                for (int64_t i = 0; i <= steps; ++i)
                    axis.ticks.push_back({0, i * step, {}});
                return axis;
            }
        }
    }
}

ChartLayout LayOutChart(const DaySeries& series, const ChartView& view, const PixelRect& canvas,
                        const ChartTextMeasure& measure)
{
    ChartLayout layout;
    layout.canvas = canvas;
    layout.fontPixels = ChartFontPixels(canvas);
    TextRuler ruler{measure, layout.fontPixels};
    int line = measure.lineHeight > 0 ? measure.lineHeight : layout.fontPixels + 2;
    layout.lineHeight = line;
    int margin = std::max(4, layout.fontPixels / 2);
    int gap = std::max(2, line / 4);
    // A tick's text reaches half a line above and below its tick.
    int halfLine = (line + 1) / 2;
    int left = canvas.left + margin;
    int right = canvas.right - margin;
    int top = canvas.top + margin;
    int bottom = canvas.bottom - margin;

    // From the top: the title, the month and hour names, the calendar and the
    // hours of the week, their legend and busiest hour, the bars' caption.
    int y = top;
    if (view.withTitle) {
        layout.titleFontPixels = layout.fontPixels * 5 / 4;
        layout.title = {left, y, right, y + layout.titleFontPixels * 3 / 2};
        y = layout.title.bottom + gap;
    }
    int weekdayWidth = 0;
    for (int weekday = 0; weekday < DaysPerWeek; ++weekday)
        weekdayWidth = std::max(weekdayWidth, ruler.Width(WeekdayName(weekday)));
    int calendarLeft = left + weekdayWidth + gap;
    // The hours' own weekday names between the two.
    int hoursGap = gap * 3 + weekdayWidth;
    // At most a quarter of the height, and cells no larger than two lines.
    int pitch = std::min({(right - calendarLeft - hoursGap) / (CalendarWeeks + HoursOfDay),
                          (bottom - top) / 4 / DaysPerWeek, line * 2});
    if (pitch < SmallestCellPitch)
        return layout;
    layout.cellPitch = pitch;
    int monthTop = y;
    y += line + 1;
    layout.calendar = {calendarLeft, y, calendarLeft + CalendarWeeks * pitch, y + DaysPerWeek * pitch};
    // The hours at the right edge: what the pitch leaves over goes between.
    layout.hoursGrid = {right - HoursOfDay * pitch, y, right, layout.calendar.bottom};
    int legendTop = layout.calendar.bottom + gap;
    int captionTop = legendTop + line + line / 2;
    layout.plot.top = captionTop + line + halfLine + 1;

    // The selection's three lines across the foot: every figure has the
    // whole width.
    layout.selectionKeys.rect = {left, bottom - line, right, bottom};
    layout.selectionFigures.rect = {left, bottom - 2 * line, right, bottom - line};
    layout.selectionDate.rect = {left, bottom - 3 * line, right, bottom - 2 * line};

    // From the bottom, above the selection's lines: the rates' chart, its
    // caption and the date labels under the plot. The rates take a third of
    // the height the two plots share, and at least two lines and a half.
    int barsBottom = layout.selectionDate.rect.top - halfLine - gap;
    int room = barsBottom - layout.plot.top - (line + gap) - (line + halfLine + 1);
    int rateHeight = std::max(line * 5 / 2, room / 3);
    int plotHeight = room - rateHeight;
    if (plotHeight < line * 2)
        return layout;
    layout.plot.bottom = layout.plot.top + plotHeight;
    int dateTop = layout.plot.bottom + 2;
    int rateCaptionTop = dateTop + line + gap;
    layout.ratePlot.top = rateCaptionTop + line + halfLine + 1;
    layout.ratePlot.bottom = barsBottom;

    // The list's column, from the bars' caption down to the rates' caption,
    // a third of the width at most; the bars keep left of it, and the rates
    // with them.
    int chartRight = right;
    int listRows = (rateCaptionTop - gap - captionTop - gap) / line - 1;
    const std::size_t named = view.ranked != nullptr ? view.ranked->size() : 0;
    bool listed = listRows >= 2 && named > 0;
    if (listed)
        chartRight = right - std::min((right - left) / 3, layout.fontPixels * 20) - gap * 3;

    // The bars and their axes, whose widest text decides where the plots begin.
    layout.spanDates = SpanDates(series, view.span);
    layout.grouping = GroupingOf(layout.spanDates);
    std::vector<DayBucket> buckets = GroupDays(series, layout.spanDates, layout.grouping, view.keys);
    layout.bars.resize(buckets.size());
    int64_t rateHighest = 0;
    int64_t speedHighest = 0;
    int64_t total = 0;
    HistoryCounts spanSums;
    for (std::size_t i = 0; i < buckets.size(); ++i) {
        ChartBar& bar = layout.bars[i];
        bar.bucket = std::move(buckets[i]);
        bar.strokesPerHour = StrokesPerHour(bar.bucket.strokes, bar.bucket.counts.seconds);
        bar.rated = HasRate(bar.bucket.counts.seconds);
        bar.speed = TypingSpeed(bar.bucket.timedStrokes, bar.bucket.counts.activeMinutes);
        layout.barHighest = std::max(layout.barHighest, bar.bucket.strokes);
        if (bar.rated)
            rateHighest = std::max(rateHighest, bar.strokesPerHour);
        speedHighest = std::max(speedHighest, bar.speed);
        total = std::min(total + bar.bucket.strokes, LargestHistoryValue);
        if (!view.selection)
            AddCounts(spanSums, bar.bucket.counts);
    }
    // Ticks two lines apart at the least: room between their texts. The
    // speed's axis has as many steps as the rates', so that both fall on the
    // same lines.
    int stepHeight = line * 2;
    layout.valueAxis = RoundAxis(layout.barHighest, plotHeight / stepHeight);
    layout.rateAxis = RoundAxis(rateHighest, rateHeight / stepHeight);
    layout.speedAxis = AxisOfSteps(speedHighest, static_cast<int>(layout.rateAxis.ticks.size()) - 1);
    int axisWidth = std::max(WidestTick(layout.valueAxis, ruler), WidestTick(layout.rateAxis, ruler));
    layout.plot.left = left + axisWidth + gap;
    // The speed's labels right of the plots: under the list when there is one.
    layout.plot.right = listed ? chartRight : right - WidestTick(layout.speedAxis, ruler) - gap;
    layout.ratePlot.left = layout.plot.left;
    layout.ratePlot.right = layout.plot.right;
    if (layout.plot.right - layout.plot.left < line * 2)
        return layout;
    PlaceTicks(layout.valueAxis, layout.plot, gap, line, ruler);
    PlaceTicks(layout.rateAxis, layout.ratePlot, gap, line, ruler);
    PlaceRightTicks(layout.speedAxis, layout.rateAxis, layout.ratePlot, gap, line, ruler);
    PlaceBars(layout);
    layout.average = layout.bars.empty() ? 0 : total / static_cast<int64_t>(layout.bars.size());
    layout.averageY = AxisY(layout.average, layout.valueAxis, layout.plot.bottom, plotHeight);
    LayOutDateLabels(layout, dateTop, gap, layout.plot.right + gap, ruler);

    std::string caption = std::string(TextsOf(layout.grouping).caption) + "の打鍵数（" +
                          ChartSpanCaption(view.span) + "）";
    layout.barCaption = TextAt(left, captionTop, ruler.Width(caption), line, caption);
    std::string average = "平均 " + FormatGrouped(layout.average) + TextsOf(layout.grouping).perBar;
    int averageWidth = ruler.Width(average);
    int captionRight = listed ? chartRight : right;
    layout.averageText = TextAt(captionRight - averageWidth, captionTop, averageWidth, line, std::move(average));
    int keyRight = layout.averageText.rect.left - gap;
    layout.averageKey = {keyRight - line * 2, captionTop + line / 2 - 1, keyRight, captionTop + line / 2 + 1};

    // The rates' caption on the left, the speed's key at the right end; the
    // caption without its condition where both would not fit.
    std::string speed = "打鍵速度（入力していた 1 分あたり）";
    int speedWidth = ruler.Width(speed);
    layout.speedText = TextAt(right - speedWidth, rateCaptionTop, speedWidth, line, std::move(speed));
    keyRight = layout.speedText.rect.left - gap;
    layout.speedKey = {keyRight - line * 2, rateCaptionTop + line / 2 - 1, keyRight, rateCaptionTop + line / 2 + 1};
    std::string rateCaption = "1 時間あたりの打鍵数（起動時間 " + std::to_string(RatedSeconds / 60) + " 分以上）";
    if (left + ruler.Width(rateCaption) + gap * 2 > layout.speedKey.left)
        rateCaption = "1 時間あたりの打鍵数";
    layout.rateCaption = TextAt(left, rateCaptionTop, ruler.Width(rateCaption), line, rateCaption);
    // An empty chart says why, where it has the room.
    if (std::none_of(layout.bars.begin(), layout.bars.end(), [](const ChartBar& bar) { return bar.rated; })) {
        std::string note = "起動時間が " + std::to_string(RatedSeconds / 60) + " 分以上の日はまだありません";
        int width = ruler.Width(note);
        const PixelRect& plot = layout.ratePlot;
        if (width <= plot.right - plot.left && line <= plot.bottom - plot.top - 2)
            layout.rateNote = TextAt((plot.left + plot.right - width) / 2, (plot.top + plot.bottom - line) / 2,
                                     width, line, std::move(note));
    }

    layout.selection = view.selection;
    DateRange described = view.selection ? *view.selection : layout.spanDates;
    WeekHours week = HoursOfWeek(series, described);
    LayOutCalendar(layout, series, view.keys, monthTop, gap, layout.hoursGrid.left - hoursGap + gap, ruler);
    LayOutLegend(layout, legendTop, gap, ruler);
    LayOutHours(layout, week, monthTop, legendTop, gap, right, ruler);   // after the legend, which it may move

    MarkSelection(layout, view.selection ? SumOfDays(series, described) : spanSums, week.timedStrokes, described,
                  view.keys);
    if (listed)
        LayOutProgramList(layout, *view.ranked, view.list, named, chartRight + gap * 3, right, captionTop,
                          listRows, gap, ruler);
    layout.usable = true;
    return layout;
}

ChartHit HitTestChart(const ChartLayout& layout, PixelPoint point)
{
    ChartHit hit;
    if (!layout.usable)
        return hit;
    const PixelRect& calendar = layout.calendar;
    if (point.x >= calendar.left && point.x < calendar.right && point.y >= calendar.top && point.y < calendar.bottom) {
        int index = (point.x - calendar.left) / layout.cellPitch * DaysPerWeek + (point.y - calendar.top) / layout.cellPitch;
        if (index < static_cast<int>(layout.cells.size()))
            return {ChartHitKind::Day, index, {layout.cells[index].date, layout.cells[index].date}};
        return hit;
    }
    // The bars' columns reach down over the date labels to the rate chart's foot.
    if (layout.bars.empty() || point.y < layout.plot.top || point.y >= layout.ratePlot.bottom ||
        point.x < layout.plot.left || point.x >= layout.plot.right)
        return hit;
    int64_t count = static_cast<int64_t>(layout.bars.size());
    int index = static_cast<int>((point.x - layout.plot.left) * count / (layout.plot.right - layout.plot.left));
    index = std::clamp(index, 0, static_cast<int>(count) - 1);
    // Slot edges are rounded down: the estimate can be one off either way.
    while (index > 0 && point.x < layout.bars[index].slot.left)
        --index;
    while (index + 1 < count && point.x >= layout.bars[index + 1].slot.left)
        ++index;
    return {ChartHitKind::Bar, index, layout.bars[index].bucket.dates};
}

std::optional<DateRange> DragAcrossBars(const ChartLayout& layout, PixelPoint from, PixelPoint to)
{
    ChartHit start = HitTestChart(layout, from);
    if (start.kind != ChartHitKind::Bar)
        return std::nullopt;
    PixelPoint clamped = {std::clamp(to.x, layout.plot.left, layout.plot.right - 1), layout.plot.top};
    ChartHit end = HitTestChart(layout, clamped);
    int first = std::min(start.index, end.index);
    int last = std::max(start.index, end.index);
    return DateRange{layout.bars[first].bucket.dates.first, layout.bars[last].bucket.dates.last};
}

DateRange MoveSelection(const ChartLayout& layout, const std::optional<DateRange>& selection, ChartMove move)
{
    LocalDate today = layout.spanDates.last;
    LocalDate earliest = layout.spanDates.first;
    if (!layout.cells.empty())
        earliest = std::min(earliest, layout.cells.front().date);
    int count = static_cast<int>(layout.bars.size());

    if (move == ChartMove::PreviousDay || move == ChartMove::NextDay || count == 0) {
        LocalDate day = today;
        if (selection)
            day = move == ChartMove::PreviousDay ? AddDays(selection->first, -1) : AddDays(selection->last, 1);
        day = std::clamp(day, earliest, today);
        return {day, day};
    }
    int target = count - 1;
    if (selection) {
        // The first bar that ends on or after the selection's first day, the
        // last that starts on or before its last day.
        int first = count;
        int last = -1;
        for (int i = 0; i < count; ++i) {
            const DateRange& dates = layout.bars[i].bucket.dates;
            if (first == count && !(dates.last < selection->first))
                first = i;
            if (!(selection->last < dates.first))
                last = i;
        }
        target = std::clamp(move == ChartMove::PreviousBar ? first - 1 : last + 1, 0, count - 1);
    }
    return layout.bars[target].bucket.dates;
}
