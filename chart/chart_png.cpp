#include "chart/chart_png.h"

#include "keymap/map_png.h"

bool WriteHistoryChartPng(const char* path, const ChartPicture& picture, int width, int height)
{
    auto draw = [](HDC dc, const RECT& area, const void* context) {
        DrawHistoryChart(dc, area, *static_cast<const ChartPicture*>(context));
    };
    return WritePicturePng(path, width, height, draw, &picture);
}
