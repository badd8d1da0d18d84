#pragma once
// The daily chart drawn with GDI into any device context: the history tab's
// paint and the off-screen bitmap of a picture file share this drawing.
#include <windows.h>

#include "chart/chart_layout.h"
#include "paint/paint_tools.h"

struct ChartPicture {
    const DaySeries* series = nullptr;
    ChartView view;                 // its withTitle follows title
    const char* title = nullptr;    // code page 932; null or "" for none
    PaintColours colours = DocumentColours;   // ScreenColours() on the tab
};

// The layout of the picture in area, its texts measured with the chart's
// font in dc: what a drawing of the same area shows, for hit tests.
ChartLayout LayOutChartIn(HDC dc, const RECT& area, const ChartPicture& picture);

// Draws a layout: background, calendar with its labels and legend, the hours
// of the week, bars with their axis, labels and average, the chart of
// strokes per hour and typing speed, the selection outlined and its three
// lines, the list beside the bars, and the title (null or "" for none). The
// context's selected objects, colours and modes are as they were after.
void PaintChart(HDC dc, const ChartLayout& layout, const char* title,
                const PaintColours& colours = DocumentColours);

// Both: lays the picture out in area and draws it. Returns the layout drawn.
ChartLayout DrawHistoryChart(HDC dc, const RECT& area, const ChartPicture& picture);
