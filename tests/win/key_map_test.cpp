// The key map drawn by GDI and written as a PNG, read back through the
// imaging component's own decoder.
#include <wincodec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "keymap/key_geometry.h"
#include "keymap/map_layout.h"
#include "keymap/map_painter.h"
#include "keymap/map_png.h"
#include "history/history_file.h"
#include "win_test_support.h"

namespace {

using namespace wintest;

struct Pixel {
    int red, green, blue;
};

struct Picture {
    UINT width = 0, height = 0;
    std::vector<uint8_t> bgra;

    Pixel At(int x, int y) const
    {
        const uint8_t* p = &bgra[(static_cast<size_t>(y) * width + x) * 4];
        return {p[2], p[1], p[0]};
    }
};

template <typename Interface>
struct Released {
    Interface* pointer = nullptr;
    ~Released()
    {
        if (pointer != nullptr)
            pointer->Release();
    }
};

std::optional<Picture> DecodePng(const std::string& path)
{
    ComScope com;
    Released<IWICImagingFactory> factory;
    Released<IWICBitmapDecoder> decoder;
    Released<IWICBitmapFrameDecode> frame;
    Released<IWICFormatConverter> converter;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    Picture picture;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory.pointer))) ||
        FAILED(factory.pointer->CreateDecoderFromFilename(wide, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                          &decoder.pointer)) ||
        FAILED(decoder.pointer->GetFrame(0, &frame.pointer)) ||
        FAILED(frame.pointer->GetSize(&picture.width, &picture.height)) ||
        FAILED(factory.pointer->CreateFormatConverter(&converter.pointer)) ||
        FAILED(converter.pointer->Initialize(frame.pointer, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                             nullptr, 0, WICBitmapPaletteTypeCustom)))
        return std::nullopt;
    picture.bgra.resize(static_cast<size_t>(picture.width) * picture.height * 4);
    if (FAILED(converter.pointer->CopyPixels(nullptr, picture.width * 4, static_cast<UINT>(picture.bgra.size()),
                                             picture.bgra.data())))
        return std::nullopt;
    return picture;
}

const KeyCap& Key(const char* legend)
{
    for (const KeyCap& key : KeyboardKeys()) {
        if (std::strcmp(key.legend, legend) == 0)
            return key;
    }
    throw std::runtime_error(legend);
}

// Just inside a key's outline, clear of its centred texts.
Pixel FillOf(const Picture& picture, const KeyMapLayout& layout, const char* legend)
{
    PixelRect face = KeyFace(layout, Key(legend));
    return picture.At(face.left + 2, face.top + 2);
}

bool IsWarmAndDeep(Pixel p) { return p.red > 120 && p.red > 2 * p.green && p.red > 2 * p.blue; }
bool IsPaleScaleColour(Pixel p) { return p.red > 230 && p.green > 220 && p.blue > 180 && p.blue < 235; }

KeyMapPicture SampleCounts()
{
    KeyMapPicture picture;
    picture.counts[KeyIndexOf("e")] = 9000;   // the hottest key
    picture.counts[KeyIndexOf("E")] = 1000;
    picture.counts[KeyIndexOf("t")] = 4500;   // halfway
    picture.counts[KeyIndexOf("1")] = 120;
    picture.counts[KeyIndexOf("slash")] = 10;
    picture.counts[KeyIndexOf("space")] = 9500;   // keys without a field of the data file too
    picture.counts[KeyIndexOf("backspace")] = 9000;
    picture.counts[KeyIndexOf("shift1")] = 9900;   // 1 with Shift: only every stroke shows it
    picture.title = "taro  全期間";
    return picture;
}

TEST(KeyMapPng, HotKeysAreWarmAndColdKeysPaleWhereTheLayoutPutsThem)
{
    TempFolder folder;
    std::string path = folder / "map.png";
    KeyMapPicture counts = SampleCounts();
    ASSERT_TRUE(WriteKeyMapPng(path.c_str(), counts));

    auto bytes = ReadBytes(path);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"map.png"}) << "no temporary file stays";

    auto picture = DecodePng(path);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, static_cast<UINT>(KeyMapPngWidth));
    EXPECT_EQ(picture->height, static_cast<UINT>(KeyMapPngHeight));

    KeyMapLayout layout = LayOutKeyMap({0, 0, KeyMapPngWidth, KeyMapPngHeight}, true);
    struct Case {
        const char* legend;
        bool (*expected)(Pixel);
        const char* what;
    } cases[] = {
        {"E", IsWarmAndDeep, "the highest count, lowercase and uppercase together"},
        {"スペース", IsWarmAndDeep, "a key the data file has no field for"},
        {"BS", IsWarmAndDeep, "a key the data file has no field for"},
        {"Q", IsPaleScaleColour, "counted, never struck"},
        {"￥", IsPaleScaleColour, "counted, never struck"},
        {"Tab", IsPaleScaleColour, "counted, never struck"},
        {"1", IsPaleScaleColour, "its strokes without Shift, as the count pages count them"},
    };
    for (const Case& c : cases) {
        Pixel p = FillOf(*picture, layout, c.legend);
        EXPECT_TRUE(c.expected(p)) << c.legend << " (" << c.what << "): " << p.red << "," << p.green << ","
                                   << p.blue;
    }
    // Halfway up the scale lies between the two ends in lightness.
    Pixel t = FillOf(*picture, layout, "T");
    Pixel e = FillOf(*picture, layout, "E");
    Pixel q = FillOf(*picture, layout, "Q");
    EXPECT_LT(t.green, q.green);
    EXPECT_GT(t.green, e.green);

    // The scale bar runs from the pale end to the deep one.
    const PixelRect& bar = layout.scaleBar;
    int middle = (bar.top + bar.bottom) / 2;
    EXPECT_TRUE(IsPaleScaleColour(picture->At(bar.left + 2, middle)));
    EXPECT_TRUE(IsWarmAndDeep(picture->At(bar.right - 3, middle)));
}

TEST(KeyMapPng, LetterModeTakesOneCaseOnly)
{
    TempFolder folder;
    std::string path = folder / "upper.png";
    KeyMapPicture counts = SampleCounts();
    counts.mode = MapMode::Uppercase;   // E (1000) is now the only and highest letter
    counts.counts[KeyIndexOf("space")] = counts.counts[KeyIndexOf("backspace")] = 0;
    counts.counts[KeyIndexOf("shift1")] = 0;
    ASSERT_TRUE(WriteKeyMapPng(path.c_str(), counts, 1200, 400));
    auto picture = DecodePng(path);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->height, 400u);
    KeyMapLayout layout = LayOutKeyMap({0, 0, 1200, 400}, true);
    EXPECT_TRUE(IsWarmAndDeep(FillOf(*picture, layout, "E")));
    EXPECT_TRUE(IsPaleScaleColour(FillOf(*picture, layout, "T"))) << "t was struck in lowercase only";

    // Every stroke: 1 with Shift outruns every other key.
    counts.mode = MapMode::AllStrokes;
    counts.counts[KeyIndexOf("shift1")] = 20000;
    ASSERT_TRUE(WriteKeyMapPng(path.c_str(), counts, 1200, 400));
    picture = DecodePng(path);
    ASSERT_TRUE(picture.has_value());
    EXPECT_TRUE(IsWarmAndDeep(FillOf(*picture, layout, "1")));
}

TEST(KeyMapPng, AFailedWriteLeavesNothingBehind)
{
    TempFolder folder;
    KeyMapPicture counts = SampleCounts();
    struct Case {
        std::string path;
        int width, height;
        const char* what;
    } cases[] = {
        {folder / "missing\\map.png", KeyMapPngWidth, KeyMapPngHeight, "a folder that does not exist"},
        {folder / "map.png", 0, 400, "no width"},
        {folder / "map.png", 1200, LargestKeyMapPngSide + 1, "too large"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(WriteKeyMapPng(c.path.c_str(), counts, c.width, c.height)) << c.what;
        EXPECT_TRUE(ListFolder(folder.Path()).empty()) << c.what;
    }

    // A read-only picture is not replaced, and no temporary file stays beside it.
    std::string kept = folder / "kept.png";
    WriteBytes(kept, "old");
    SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(WriteKeyMapPng(kept.c_str(), counts));
    EXPECT_EQ(ReadBytes(kept), std::optional<std::string>("old"));
    EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"kept.png"});
}

// The paint of a tab page shares the context with whatever else draws there.
TEST(KeyMapPainter, LeavesTheContextAsItFoundIt)
{
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 470, 330);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkMode(dc, OPAQUE);
    SetTextAlign(dc, TA_RIGHT | TA_BASELINE);

    KeyMapPicture counts = SampleCounts();
    for (const RECT& area : {RECT{0, 0, 470, 330}, RECT{10, 10, 40, 30}, RECT{0, 0, 0, 0}})
        DrawKeyMap(dc, area, counts);

    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(GetTextAlign(dc), static_cast<UINT>(TA_RIGHT | TA_BASELINE));

    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// The keyboard tab draws again only the keys that look otherwise, and the
// scale when its top moved: the result must be the very picture a whole
// drawing gives.
TEST(KeyMapPainter, DrawingTheChangedKeysAgainGivesTheWholeDrawing)
{
    constexpr int Width = 470, Height = 330;
    struct Canvas {
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = nullptr;
        HGDIOBJ old = nullptr;
        uint32_t* bits = nullptr;
        Canvas()
        {
            BITMAPINFO info = {};
            info.bmiHeader = {sizeof info.bmiHeader, Width, -Height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
            old = SelectObject(dc, bitmap);
        }
        ~Canvas()
        {
            SelectObject(dc, old);
            DeleteObject(bitmap);
            DeleteDC(dc);
        }
    };
    struct Case {
        std::vector<std::pair<const char*, uint64_t>> struck;
        bool topMoves;
    } cases[] = {
        {{{"t", 321}, {"1", 1}, {"slash", 9000}, {"enter", 40}}, false},   // below e; past 1,000; an inverted L
        {{{"e", 3}}, true},                                                  // the top moves by a little
        {{{"e", 2500}, {"q", 1}}, true},                                     // ... far: most keys pale
        {{{"space", 40000}}, true},                                          // another key becomes the top
    };
    RECT area = {0, 0, Width, Height};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.struck[0].first);
        Canvas incremental, whole;
        ASSERT_NE(incremental.bits, nullptr);
        ASSERT_NE(whole.bits, nullptr);
        KeyMapPicture before = SampleCounts();
        before.title = nullptr;
        DrawKeyMap(incremental.dc, area, before);
        KeyMapPicture after = before;
        for (const auto& [column, add] : c.struck)
            after.counts[KeyIndexOf(column)] += add;
        const bool topMoved = HighestKeyValue(after.counts, after.mode) != HighestKeyValue(before.counts, before.mode);
        ASSERT_EQ(topMoved, c.topMoves);
        DrawKeyMapKeys(incremental.dc, area, after, KeysDrawnOtherwise(before.counts, after.counts, after.mode));
        if (topMoved)
            DrawKeyMapScale(incremental.dc, area, after);
        DrawKeyMap(whole.dc, area, after);
        GdiFlush();

        int differing = 0;
        for (int i = 0; i < Width * Height; ++i)
            differing += incremental.bits[i] != whole.bits[i];
        EXPECT_EQ(differing, 0);
    }
}

// The command line renders a user's counts beside a running Kivora: the
// period's counts, the hottest key deep and warm where the layout puts it.
TEST(HeatmapCommand, WritesTheMapOfAUsersPeriodOrNothing)
{
    TempFolder folder;
    CreateDirectoryA((folder / "data").c_str(), nullptr);
    std::string data(738, '\0');
    for (int field = 0; field < 82; ++field)
        std::memcpy(&data[field * 9], field == 4 ? "00005000" : field == 19 ? "00000010" : "00000000", 8);
    WriteBytes(folder / "data\\taro.dat", data);   // e: 5000, t: 10 all time
    SYSTEMTIME now;
    GetLocalTime(&now);
    char today[16];
    std::snprintf(today, sizeof today, "%04d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
    HistoryCounts day;   // today: t 300, nothing else
    day.seconds = 60;
    day.keys[KeyIndexOf("t")] = 300;
    std::string lines = std::string(HistoryHeader) + "\r\n";
    AppendHistoryLine(lines, {now.wYear, now.wMonth, now.wDay}, day);
    WriteBytes(folder / "data\\taro.history.csv", lines);

    struct Case {
        std::string arguments;
        const char* file;
        const char* hot;    // the key drawn deep and warm
        const char* cold;   // a key drawn pale
    } cases[] = {
        {"/heatmap taro all.png", "all.png", "E", "T"},
        {"/heatmap taro today.png today", "today.png", "T", "E"},
        {"/heatmap taro week.png 7", "week.png", "T", "E"},
        {"/heatmap taro range.png " + std::string(today) + ".." + today, "range.png", "T", "E"},
        {"/heatmap taro before.png 2001-01-01..2001-12-31", "before.png", "", "E"},   // no days: all pale
    };
    KeyMapLayout layout = LayOutKeyMap({0, 0, KeyMapPngWidth, KeyMapPngHeight}, true);
    for (const Case& row : cases) {
        SCOPED_TRACE(row.arguments);
        ASSERT_EQ(RunKivora(folder.Path(), row.arguments), 0);
        const std::string name = row.file;
        auto bytes = ReadBytes(folder / name);
        ASSERT_TRUE(bytes.has_value());
        EXPECT_EQ(bytes->substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
        auto picture = DecodePng(folder / name);
        ASSERT_TRUE(picture.has_value());
        EXPECT_EQ(picture->width, static_cast<UINT>(KeyMapPngWidth));
        EXPECT_EQ(picture->height, static_cast<UINT>(KeyMapPngHeight));
        if (row.hot[0] != '\0') {
            EXPECT_TRUE(IsWarmAndDeep(FillOf(*picture, layout, row.hot)));
        }
        EXPECT_TRUE(IsPaleScaleColour(FillOf(*picture, layout, row.cold)));
    }

    struct Refusal {
        const char* arguments;
        int exitCode;
        const char* what;
    } refusals[] = {
        {"/heatmap hanako no.png", 2, "no such user"},
        {"/heatmap taro no.png month", 1, "no such period"},
        {"/heatmap taro", 1, "no file"},
        {"/heatmap taro no.png all extra", 1, "one argument too many"},
        {"/heatmap taro missing\\no.png", 4, "a folder that does not exist"},
        {"/heatmap taro no.png 2026-12-07..2026-12-06", 1, "a range the wrong way round"},
        {"/heatmap taro no.png 2026-02-30..2026-03-01", 1, "a day that does not exist"},
        {"/heatmap taro no.png 2026-12-01", 1, "a day without a range"},
    };
    for (const Refusal& row : refusals) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(RunKivora(folder.Path(), row.arguments), row.exitCode);
    }
    EXPECT_FALSE(Exists(folder / "no.png"));
}

} // namespace
