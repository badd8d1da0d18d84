#pragma once
// The daily chart as a PNG file, through the key map's picture writer.
#include <string>

#include "chart/chart_painter.h"

// The picture's size: the calendar's cells about 20 pixels, a bar a day
// wide enough for its date.
constexpr int ChartPngWidth = 1200;
constexpr int ChartPngHeight = 720;

// Draws the chart (its title line included when picture.title is set) and
// writes it to path (wide, or code page 932) as WritePicturePng does.
bool WriteHistoryChartPng(const std::wstring& path, const ChartPicture& picture, int width = ChartPngWidth,
                          int height = ChartPngHeight);
bool WriteHistoryChartPng(const char* path, const ChartPicture& picture, int width = ChartPngWidth,
                          int height = ChartPngHeight);
