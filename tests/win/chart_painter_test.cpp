// The daily chart drawn by GDI into a bitmap whose pixels are read back, and
// written as a picture file.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "chart/chart_painter.h"
#include "chart/chart_png.h"
#include "keymap/map_layout.h"
#include "keymap/map_painter.h"
#include "history/user_history.h"
#include "paint/paint_tools.h"
#include "user_data_fixture.h"
#include "win_test_support.h"

namespace {

using namespace wintest;

struct Pixel {
    int red, green, blue;
};

// The bitmap that picture files are drawn into, its pixels read back.
class PixelCanvas {
public:
    PixelCanvas(int width, int height) : width_(width), bitmap_(width, height) {}

    HDC Dc() const { return bitmap_.Dc(); }
    Pixel At(int x, int y) const
    {
        GdiFlush();
        const uint8_t* p = bitmap_.Bits() + (static_cast<size_t>(y) * width_ + x) * 4;
        return {p[2], p[1], p[0]};
    }
    Pixel Centre(const PixelRect& rect) const { return At((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2); }

private:
    int width_;
    OffscreenBitmap bitmap_;
};

bool IsWarmAndDeep(Pixel p) { return p.red > 120 && p.red > 2 * p.green && p.red > 2 * p.blue; }
bool IsPaleScaleColour(Pixel p) { return p.red > 230 && p.green > 210 && p.blue > 170 && p.blue < 240; }
bool IsBackground(Pixel p) { return p.red == 255 && p.green == 255 && p.blue == 255; }

HistoryDay Day(LocalDate date, int64_t strokes)
{
    HistoryDay day;
    day.date = date;
    day.counts.keys[4] = strokes;
    day.counts.seconds = 3600;
    return day;
}

uint32_t BigEndian(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

TEST(ChartPainter, TheHighestDayIsWarmWhereTheLayoutPutsIt)
{
    const LocalDate today = {2026, 12, 7};
    DaySeries series = MakeDaySeries({Day({2026, 11, 20}, 12), Day({2026, 11, 27}, 5000), Day({2026, 12, 1}, 0),
                                      Day(today, 40)},
                                     today);
    ChartPicture picture;
    picture.series = &series;
    picture.view.selection = DateRange{{2026, 12, 1}, {2026, 12, 1}};
    PixelCanvas canvas(470, 330);
    ChartLayout layout = DrawHistoryChart(canvas.Dc(), {0, 0, 470, 330}, picture);
    ASSERT_TRUE(layout.usable);

    auto cellOf = [&](LocalDate date) {
        return layout.cells.at(static_cast<size_t>(DayNumber(date) - DayNumber(layout.cells.front().date)));
    };
    auto barOf = [&](LocalDate date) {
        for (const ChartBar& bar : layout.bars) {
            if (bar.bucket.dates.first == date)
                return bar;
        }
        return ChartBar{};
    };
    struct Case {
        PixelRect place;
        bool (*expected)(Pixel);
        const char* what;
    } cases[] = {
        {cellOf({2026, 11, 27}).rect, IsWarmAndDeep, "the highest day's cell"},
        {barOf({2026, 11, 27}).bar, IsWarmAndDeep, "the highest day's bar"},
        {cellOf({2026, 11, 20}).rect, IsPaleScaleColour, "a day of 12 strokes"},
        {cellOf({2026, 12, 1}).rect, IsPaleScaleColour, "a day with a line and no strokes"},
        {cellOf({2026, 11, 28}).rect, IsBackground, "a day without a line: an outline only"},
        {layout.legendSteps.back(), IsWarmAndDeep, "the legend's warm end"},
        {layout.legendSteps.front(), IsPaleScaleColour, "the legend's pale end"},
    };
    for (const Case& c : cases) {
        Pixel p = canvas.Centre(c.place);
        EXPECT_TRUE(c.expected(p)) << c.what << ": " << p.red << "," << p.green << "," << p.blue;
    }
    // The selected day's cell is outlined just outside its fill.
    const PixelRect& selected = cellOf({2026, 12, 1}).rect;
    Pixel outline = canvas.At(selected.left - 1, (selected.top + selected.bottom) / 2);
    EXPECT_LT(outline.red + outline.green + outline.blue, 3 * 128) << "a dark outline";
    EXPECT_TRUE(IsBackground(canvas.At(layout.plot.right - 2, layout.plot.top + 1))) << "nothing above the bars";
}

TEST(ChartPainter, AnEmptyHistoryDrawsWithoutDividingByZero)
{
    DaySeries series = MakeDaySeries({}, {2026, 12, 7});
    ChartPicture picture;
    picture.series = &series;
    picture.view.span = ChartSpan::All;
    picture.title = "taro　全期間　2026年12月7日";
    PixelCanvas canvas(470, 330);
    ChartLayout layout = DrawHistoryChart(canvas.Dc(), {0, 0, 470, 330}, picture);
    ASSERT_TRUE(layout.usable);
    EXPECT_TRUE(IsBackground(canvas.Centre(layout.cells.back().rect))) << "today has no line: an outline only";
    EXPECT_TRUE(IsBackground(canvas.Centre(layout.plot)));

    // Too small a canvas is left blank, and a null series draws as an empty
    // one; the context is left as it was found.
    PixelCanvas tiny(60, 40);
    HGDIOBJ font = GetCurrentObject(tiny.Dc(), OBJ_FONT);
    HGDIOBJ brush = GetCurrentObject(tiny.Dc(), OBJ_BRUSH);
    SetTextColor(tiny.Dc(), RGB(1, 2, 3));
    picture.series = nullptr;
    EXPECT_FALSE(DrawHistoryChart(tiny.Dc(), {0, 0, 60, 40}, picture).usable);
    DrawHistoryChart(tiny.Dc(), {0, 0, 0, 0}, picture);
    EXPECT_TRUE(IsBackground(tiny.At(30, 20)));
    EXPECT_EQ(GetCurrentObject(tiny.Dc(), OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(tiny.Dc(), OBJ_BRUSH), brush);
    EXPECT_EQ(GetTextColor(tiny.Dc()), RGB(1, 2, 3));
}

// On the tabs both drawings take the colours of the system's theme (here a
// black high-contrast one's); the heat scale's fills stay the data's.
TEST(ChartPainter, BothDrawingsTakeTheColoursTheyAreGiven)
{
    PaintColours dark = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(76, 76, 76), RGB(127, 127, 127), RGB(25, 25, 25),
                         RGB(127, 127, 127), RGB(255, 255, 255), RGB(128, 128, 255), RGB(26, 235, 255)};
    DaySeries series = MakeDaySeries({Day({2026, 11, 27}, 5000)}, {2026, 12, 7});
    KeyMapLayout keys = LayOutKeyMap({0, 0, 470, 330}, false);
    PixelRect tab;   // the one key not counted: the keypad's Enter
    for (const KeyCap& key : KeyboardKeys())
        tab = key.IsCounted() ? tab : KeyFace(keys, key);
    for (const PaintColours& colours : {DocumentColours, dark}) {
        auto isBackground = [&colours](Pixel p) { return RGB(p.red, p.green, p.blue) == colours.background; };
        KeyMapPicture map;
        map.colours = colours;
        ChartPicture chart = {&series, {}, nullptr, colours};
        PixelCanvas mapCanvas(470, 330), chartCanvas(470, 330);
        DrawKeyMap(mapCanvas.Dc(), {0, 0, 470, 330}, map);
        ChartLayout layout = DrawHistoryChart(chartCanvas.Dc(), {0, 0, 470, 330}, chart);
        EXPECT_TRUE(isBackground(mapCanvas.At(1, 1)) && isBackground(mapCanvas.At(tab.left + 2, tab.top + 2)));
        EXPECT_TRUE(isBackground(chartCanvas.Centre(layout.cells.back().rect))) << "a day without a line";
        EXPECT_TRUE(isBackground(chartCanvas.At(layout.plot.right - 2, layout.plot.top + 1))) << "above the bars";
        EXPECT_TRUE(IsWarmAndDeep(chartCanvas.Centre(layout.legendSteps.back()))) << "the scale as it is";
    }
}

// The lines under the chart and the texts around the hours, as GDI measures
// them in the chart's font, whole at the tab's size at 96 and 144 dpi, for
// ten years of busy typing with every figure at its widest.
TEST(ChartPainter, TheFiguresFitTheTabAtBothScales)
{
    const LocalDate today = {2026, 12, 7};
    std::vector<HistoryDay> days;
    for (int ago = 3650; ago >= 0; --ago) {
        HistoryDay day;
        day.date = AddDays(today, -ago);
        day.counts.seconds = 36000;
        day.counts.keys[KeyIndexOf("space")] = 9000;
        day.counts.keys[KeyIndexOf("backspace")] = 1300;
        day.counts.keys[KeyIndexOf("enter")] = 1200;
        day.counts.keys[4] = 8000;
        day.counts.activeMinutes = 99;
        day.counts.bestMinute = 999;
        day.counts.hours[10] = 19500;
        days.push_back(day);
    }
    DaySeries series = MakeDaySeries(days, today);
    AppCounts programs;
    AddAppStrokes(programs, "excel.exe", 123'456'789);
    AddAppStrokes(programs, "notepad.exe", 1);
    const std::vector<RankedApp> ranked = RankApps(programs);
    const SIZE sizes[] = {{522, 294}, {783, 441}};   // the tab's canvas at 96 and 144 dpi
    for (SIZE size : sizes) {
        PixelCanvas canvas(size.cx, size.cy);
        ChartPicture picture;
        picture.series = &series;
        picture.view = {ChartSpan::All, ChartKeys::AllKeys, std::nullopt, false, &ranked};
        ChartLayout layout = DrawHistoryChart(canvas.Dc(), {0, 0, size.cx, size.cy}, picture);
        ASSERT_TRUE(layout.usable);
        ASSERT_NE(layout.selectionFigures.text.find("打鍵速度 197 打/分（最高 999）"), std::string::npos);
        PaintFont font(layout.fontPixels);
        font.SelectInto(canvas.Dc());
        for (const ChartText* text : {&layout.selectionDate, &layout.selectionFigures, &layout.selectionKeys,
                                      &layout.busiestHour, &layout.rateCaption, &layout.speedText}) {
            SIZE needed = {};
            GetTextExtentPoint32A(canvas.Dc(), text->text.c_str(), static_cast<int>(text->text.size()), &needed);
            EXPECT_LE(needed.cx, text->rect.right - text->rect.left) << size.cx << ": " << text->text;
            EXPECT_LE(text->rect.right, size.cx) << text->text;
        }
        EXPECT_EQ(layout.busiestHour.text.rfind("いちばん打つのは", 0), 0u) << "not the short form";
        SelectObject(canvas.Dc(), GetStockObject(SYSTEM_FONT));
    }
}

TEST(ChartPainter, ThePictureFileIsAPngOfItsSize)
{
    TempFolder folder;
    std::string path = folder / "chart.png";
    DaySeries series = MakeDaySeries({Day({2026, 12, 6}, 900), Day({2026, 12, 7}, 40)}, {2026, 12, 7});
    ChartPicture picture;
    picture.series = &series;
    std::string title = FormatChartTitle("taro", ChartSpan::Last30Days, DefaultChartKeys, {2026, 12, 7});
    picture.title = title.c_str();
    ASSERT_TRUE(WriteHistoryChartPng(path.c_str(), picture));
    auto bytes = ReadBytes(path);
    ASSERT_TRUE(bytes.has_value());
    ASSERT_GT(bytes->size(), 24u);
    EXPECT_EQ(bytes->substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(bytes->substr(12, 4), "IHDR");
    EXPECT_EQ(BigEndian(*bytes, 16), static_cast<uint32_t>(ChartPngWidth));
    EXPECT_EQ(BigEndian(*bytes, 20), static_cast<uint32_t>(ChartPngHeight));
    EXPECT_GE(ChartPngWidth, 1200);
    EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"chart.png"}) << "no temporary file stays";
}

// The command line draws a user's days beside a running Kivora, or writes
// nothing at all.
TEST(ChartCommand, WritesTheUsersDaysOrNothing)
{
    TempFolder folder;
    CreateDirectoryA((folder / "data").c_str(), nullptr);
    WriteBytes(folder / "data\\taro.dat", Image({{5, 900}}));
    // Yesterday the most strokes of the data file's keys, the day before of every key.
    const LocalDate today = TodaysDate();
    std::vector<HistoryDay> days = {Day(AddDays(today, -2), 10), Day(AddDays(today, -1), 900)};
    days[0].counts.keys[KeyIndexOf("space")] = 5000;
    std::string lines = std::string(HistoryHeader) + "\r\n";
    for (const HistoryDay& day : days)
        AppendHistoryLine(lines, day.date, day.counts);
    WriteBytes(folder / "data\\taro.history.csv", lines);

    struct Case {
        const char* arguments;
        int exitCode;
        const char* written;   // the picture then there, or null
        const char* what;
    } cases[] = {
        {"/chart taro month.png", 0, "month.png", "the last 30 days when no span is named"},
        {"/chart taro all.png ALL", 0, "all.png", "a span in any letter case"},
        {"/chart taro every.png allkeys", 0, "every.png", "every key, over the last 30 days"},
        {"/chart taro every90.png 90 AllKeys", 0, "every90.png", "a span, then every key"},
        {"/chart taro no.png allkeys 90", 1, nullptr, "every key before the span"},
        {"/chart taro no.png 30 all", 1, nullptr, "two spans"},
        {"/chart taro no.png 30 allkeys more", 1, nullptr, "one argument too many"},
        {"/chart hanako no.png", 2, nullptr, "no such user"},
        {"/chart taro no.png 7", 1, nullptr, "no such span"},
        {"/chart taro", 1, nullptr, "no file"},
        {"/chart taro no.png all more", 1, nullptr, "one argument too many"},
        {"/chart taro missing\\no.png", 4, nullptr, "a folder that does not exist"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(RunKivora(folder.Path(), row.arguments), row.exitCode);
        if (row.written != nullptr) {
            auto bytes = ReadBytes(folder / row.written);
            ASSERT_TRUE(bytes.has_value());
            EXPECT_EQ(bytes->substr(12, 4), "IHDR");
            EXPECT_EQ(BigEndian(*bytes, 16), static_cast<uint32_t>(ChartPngWidth));
            EXPECT_EQ(BigEndian(*bytes, 20), static_cast<uint32_t>(ChartPngHeight));
        }
    }
    // The command draws what the tab draws of the span with every key chosen.
    DaySeries series = MakeDaySeries(days, today);
    std::string title = FormatChartTitle("taro", ChartSpan::Last90Days, ChartKeys::AllKeys, today);
    ChartPicture picture = {&series, {ChartSpan::Last90Days, ChartKeys::AllKeys, std::nullopt, false, nullptr},
                            title.c_str()};
    ASSERT_TRUE(WriteHistoryChartPng((folder / "drawn.png").c_str(), picture));
    EXPECT_EQ(ReadBytes(folder / "drawn.png"), ReadBytes(folder / "every90.png"));

    WriteBytes(folder / "data\\taro.history.csv", "not,a,history\r\n");
    EXPECT_EQ(RunKivora(folder.Path(), "/chart taro no.png"), 3) << "a history that cannot be read";
    EXPECT_FALSE(Exists(folder / "no.png"));
}

} // namespace
