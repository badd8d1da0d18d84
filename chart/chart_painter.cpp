#include "chart/chart_painter.h"

#include <algorithm>

#include "paint/heat_scale.h"
#include "paint/paint_tools.h"

namespace {

constexpr UINT LeftLine = DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP;
constexpr UINT RightLine = DT_SINGLELINE | DT_RIGHT | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP;
constexpr UINT ClippedLine = DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;

int GdiTextWidth(const void* context, std::string_view text)
{
    SIZE size = {};
    GetTextExtentPoint32A(*static_cast<const HDC*>(context), text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

bool HasTitle(const char* title) { return title != nullptr && title[0] != '\0'; }

// The layout with the chart's font already selected into dc.
ChartLayout LayOutWithSelectedFont(HDC dc, const RECT& area, const ChartPicture& picture)
{
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    ChartTextMeasure measure;
    measure.lineHeight = metrics.tmHeight;
    measure.width = GdiTextWidth;
    measure.context = &dc;
    ChartView view = picture.view;
    view.withTitle = HasTitle(picture.title);
    DaySeries none;
    return LayOutChart(picture.series != nullptr ? *picture.series : none, view,
                       {area.left, area.top, area.right, area.bottom}, measure);
}

// Four thin fills: Wine's FrameRect costs several times as much.
void Frame(HDC dc, const PixelRect& rect, COLORREF colour, int thickness = 1)
{
    SetDCBrushColor(dc, colour);
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
    RECT outer = {rect.left - (thickness - 1), rect.top - (thickness - 1), rect.right + (thickness - 1),
                  rect.bottom + (thickness - 1)};
    RECT sides[4] = {
        {outer.left, outer.top, outer.right, outer.top + thickness},
        {outer.left, outer.bottom - thickness, outer.right, outer.bottom},
        {outer.left, outer.top + thickness, outer.left + thickness, outer.bottom - thickness},
        {outer.right - thickness, outer.top + thickness, outer.right, outer.bottom - thickness},
    };
    for (const RECT& side : sides) {
        if (side.right > side.left && side.bottom > side.top)
            FillRect(dc, &side, brush);
    }
}

void HorizontalLine(HDC dc, int left, int right, int y, COLORREF colour)
{
    FillWith(dc, {left, y, right, y + 1}, colour);
}

// Dashes of four pixels with gaps of three: the average reads as a line of
// its own kind, not only by its colour.
void DashedLine(HDC dc, int left, int right, int y, COLORREF colour)
{
    for (int x = left; x < right; x += 7)
        FillWith(dc, {x, y - 1, std::min(x + 4, right), y + 1}, colour);
}

void DrawChartText(HDC dc, const ChartText& text, UINT format = LeftLine)
{
    if (!text.text.empty())
        DrawLine(dc, text.text.c_str(), text.rect, format);
}

void DrawCalendar(HDC dc, const ChartLayout& layout, const PaintColours& colours)
{
    for (const CalendarCell& cell : layout.cells) {
        if (cell.hasLine)
            FillWith(dc, ToRect(cell.rect), ToColorref(HeatColour(cell.strokes, layout.calendarHighest)));
        else
            Frame(dc, cell.rect, colours.plainOutline);
    }
    Frame(dc, layout.noLineKey, colours.plainOutline);
    int steps = static_cast<int>(layout.legendSteps.size());
    for (int i = 0; i < steps; ++i)
        FillWith(dc, ToRect(layout.legendSteps[i]), ToColorref(HeatColourAt(steps > 1 ? i / (steps - 1.0) : 0)));

    SetTextColor(dc, colours.text);
    for (const ChartText& label : layout.weekdayLabels)
        DrawChartText(dc, label, RightLine);
    for (const ChartText& label : layout.monthLabels)
        DrawChartText(dc, label);
    DrawChartText(dc, layout.noLineText);
    DrawChartText(dc, layout.legendLow);
    DrawChartText(dc, layout.legendHigh);
}

// On the calendar's scale from 0 to the busiest hour; outlines only when no
// hour of the days has a stroke (days written before the hours were kept).
void DrawHours(HDC dc, const ChartLayout& layout, const PaintColours& colours)
{
    for (const HourCell& cell : layout.hourCells) {
        if (layout.hoursHighest > 0)
            FillWith(dc, ToRect(cell.rect), ToColorref(HeatColour(cell.strokes, layout.hoursHighest)));
        else
            Frame(dc, cell.rect, colours.plainOutline);
    }
    SetTextColor(dc, colours.text);
    for (const ChartText& label : layout.hourWeekdayLabels)
        DrawChartText(dc, label, RightLine);
    for (const ChartText& label : layout.hourLabels)
        DrawChartText(dc, label);
    DrawChartText(dc, layout.busiestHour);
}

void DrawAxisGrid(HDC dc, const ValueAxis& axis, const PixelRect& plot, const PaintColours& colours)
{
    for (const AxisTick& tick : axis.ticks) {
        if (tick.value != 0)
            HorizontalLine(dc, plot.left, plot.right, tick.y, colours.grid);
        DrawChartText(dc, tick.label, RightLine);
    }
    HorizontalLine(dc, plot.left, plot.right, plot.bottom, colours.axis);
}

void DrawBars(HDC dc, const ChartLayout& layout, const PaintColours& colours)
{
    SetTextColor(dc, colours.text);
    DrawAxisGrid(dc, layout.valueAxis, layout.plot, colours);
    const COLORREF back = colours.background;
    const Rgb background = {GetRValue(back), GetGValue(back), GetBValue(back)};
    for (const ChartBar& bar : layout.bars) {
        if (bar.bar.IsEmpty())
            continue;
        Rgb fill = HeatColour(bar.bucket.strokes, layout.barHighest);
        FillWith(dc, ToRect(bar.bar), ToColorref(fill));
        // A bar gets an edge where it would stand out from the background
        // less than 3:1, the accessibility guidelines' figure for graphics.
        if (bar.bar.right - bar.bar.left >= 3 && ContrastRatio(fill, background) < 3)
            Frame(dc, bar.bar, CountedOutline);
    }
    DashedLine(dc, layout.plot.left, layout.plot.right, layout.averageY, colours.averageLine);
    DashedLine(dc, layout.averageKey.left, layout.averageKey.right,
               (layout.averageKey.top + layout.averageKey.bottom) / 2, colours.averageLine);
    DrawChartText(dc, layout.barCaption);
    DrawChartText(dc, layout.averageText);
    for (const ChartText& label : layout.dateLabels)
        DrawChartText(dc, label);
}

void DrawRates(HDC dc, const ChartLayout& layout, const PaintColours& colours)
{
    SetTextColor(dc, colours.text);
    DrawAxisGrid(dc, layout.rateAxis, layout.ratePlot, colours);
    DrawChartText(dc, layout.rateCaption);
    DrawChartText(dc, layout.rateNote);
    // A polyline through the rates of each run of rated bars, broken where a
    // bar's days ran too short, and a small square on each rate where the
    // bars are wide enough to tell them apart.
    SetDCPenColor(dc, colours.rateLine);
    std::vector<POINT> run;
    auto drawRun = [&] {
        if (run.size() > 1)
            Polyline(dc, run.data(), static_cast<int>(run.size()));
        run.clear();
    };
    for (const ChartBar& bar : layout.bars) {
        if (bar.rated)
            run.push_back({bar.rate.x, bar.rate.y});
        else
            drawRun();
    }
    drawRun();
    // The speed the same way, two pixels thick, with its key and its axis's
    // labels on the right.
    for (const AxisTick& tick : layout.speedAxis.ticks)
        DrawChartText(dc, tick.label);
    DrawChartText(dc, layout.speedText);
    FillWith(dc, ToRect(layout.speedKey), colours.speedLine);
    SetDCPenColor(dc, colours.speedLine);
    for (int offset : {0, 1}) {
        for (const ChartBar& bar : layout.bars) {
            if (bar.speed >= 0)
                run.push_back({bar.speedPoint.x, bar.speedPoint.y + offset});
            else
                drawRun();
        }
        drawRun();
    }
    if (layout.bars.empty())
        return;
    int slot = layout.bars.front().slot.right - layout.bars.front().slot.left;
    auto single = [&layout](std::size_t i, bool (*has)(const ChartBar&)) {
        return (i == 0 || !has(layout.bars[i - 1])) && (i + 1 == layout.bars.size() || !has(layout.bars[i + 1]));
    };
    auto rated = [](const ChartBar& bar) { return bar.rated; };
    auto timed = [](const ChartBar& bar) { return bar.speed >= 0; };
    for (std::size_t i = 0; i < layout.bars.size(); ++i) {
        const ChartBar& bar = layout.bars[i];
        // A point with no neighbour has no line to show it: a square does.
        if (bar.rated && (slot >= 5 || single(i, rated)))
            FillWith(dc, {bar.rate.x - 1, bar.rate.y - 1, bar.rate.x + 2, bar.rate.y + 2}, colours.rateLine);
        if (timed(bar) && (slot >= 5 || single(i, timed)))
            FillWith(dc, {bar.speedPoint.x - 1, bar.speedPoint.y - 1, bar.speedPoint.x + 3, bar.speedPoint.y + 3},
                     colours.speedLine);
    }
}

void DrawSelection(HDC dc, const ChartLayout& layout, const PaintColours& colours)
{
    int thickness = std::max(1, layout.cellPitch / 10);
    if (layout.selectedCellFirst >= 0) {
        for (int i = layout.selectedCellFirst; i <= layout.selectedCellLast; ++i) {
            const PixelRect& cell = layout.cells[i].rect;
            Frame(dc, {cell.left - 1, cell.top - 1, cell.right + 1, cell.bottom + 1}, colours.selection, thickness);
        }
    }
    if (layout.selectedBarFirst >= 0)
        Frame(dc, layout.barSelectionFrame, colours.selection, 2);
    SetTextColor(dc, colours.text);
    DrawLine(dc, layout.selectionDate.text.c_str(), layout.selectionDate.rect, ClippedLine);
    DrawLine(dc, layout.selectionFigures.text.c_str(), layout.selectionFigures.rect, ClippedLine);
    DrawLine(dc, layout.selectionKeys.text.c_str(), layout.selectionKeys.rect, ClippedLine);
}

// The names are UTF-8, drawn as Unicode: a program's file name need not fit
// the code page (a shortcut's name is ASCII). At most eleven rows: cold, so
// built for size as the rest of Kivora.exe is.
[[gnu::cold]] void DrawProgramList(HDC dc, const ChartLayout& layout, const PaintColours& colours)
{
    SetTextColor(dc, colours.text);
    DrawChartText(dc, layout.programsCaption);
    const COLORREF barColour = MixColours(colours.background, colours.rateLine, 25);
    for (const ProgramRow& row : layout.programRows) {
        FillWith(dc, ToRect(row.bar), barColour);
        // A file name is shorter than a path.
        const std::string& app = row.program.app;
        wchar_t name[MAX_PATH] = L"その他";
        int length = app.empty() ? 3
                                 : MultiByteToWideChar(CP_UTF8, 0, app.data(), static_cast<int>(app.size()), name,
                                                       MAX_PATH);
        RECT area = ToRect(row.name);
        DrawTextW(dc, name, length, &area, ClippedLine);
        DrawLine(dc, FormatGrouped(row.program.strokes).c_str(), row.strokes, RightLine);
        std::string share = ShareText(row.program.shareTenths);
        share += '%';
        DrawLine(dc, share.c_str(), row.share, RightLine);
    }
}

} // namespace

ChartLayout LayOutChartIn(HDC dc, const RECT& area, const ChartPicture& picture)
{
    PaintFont font(ChartFontPixels({area.left, area.top, area.right, area.bottom}));
    DcState state(dc);
    font.SelectInto(dc);
    return LayOutWithSelectedFont(dc, area, picture);
}

void PaintChart(HDC dc, const ChartLayout& layout, const char* title, const PaintColours& colours)
{
    // Two fonts per drawing, never one per text.
    PaintFont font(layout.fontPixels);
    PaintFont titleFont(HasTitle(title) ? layout.titleFontPixels : 0);
    DcState state(dc);

    FillWith(dc, ToRect(layout.canvas), colours.background);
    if (!layout.usable)
        return;
    SelectObject(dc, GetStockObject(DC_BRUSH));
    SelectObject(dc, GetStockObject(DC_PEN));
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    font.SelectInto(dc);

    DrawCalendar(dc, layout, colours);
    DrawHours(dc, layout, colours);
    DrawBars(dc, layout, colours);
    DrawRates(dc, layout, colours);
    DrawSelection(dc, layout, colours);
    if (!layout.programRows.empty())
        DrawProgramList(dc, layout, colours);

    if (HasTitle(title) && layout.titleFontPixels > 0) {
        titleFont.SelectInto(dc);
        SetTextColor(dc, colours.text);
        DrawLine(dc, title, layout.title, ClippedLine);
    }
}

ChartLayout DrawHistoryChart(HDC dc, const RECT& area, const ChartPicture& picture)
{
    ChartLayout layout = LayOutChartIn(dc, area, picture);
    PaintChart(dc, layout, picture.title, picture.colours);
    return layout;
}
