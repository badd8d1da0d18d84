#include "chart/chart_png.h"

#include "paint/picture_png.h"

namespace {

void DrawPicture(HDC dc, const RECT& area, const void* context)
{
    DrawHistoryChart(dc, area, *static_cast<const ChartPicture*>(context));
}

} // namespace

bool WriteHistoryChartPng(const std::wstring& path, const ChartPicture& picture, int width, int height)
{
    return WritePicturePng(path, width, height, DrawPicture, &picture);
}

bool WriteHistoryChartPng(const char* path, const ChartPicture& picture, int width, int height)
{
    return WritePicturePng(path, width, height, DrawPicture, &picture);
}
