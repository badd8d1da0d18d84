#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "keymap/key_geometry.h"
#include "keymap/map_layout.h"
#include "keymap/map_period.h"

namespace {

bool Inside(const PixelRect& inner, const PixelRect& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(const PixelRect& a, const PixelRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

std::string Count(uint64_t value, int room, int digit)
{
    char text[KeyCountTextSize];
    FormatKeyCount(value, room, digit, text);
    return text;
}

TEST(MapPeriod, CommandLineWordsAreReadInAnyLetterCase)
{
    struct Case {
        const char* word;
        bool accepted;
        MapPeriod period;
    } cases[] = {
        {"all", true, MapPeriod::All},
        {"today", true, MapPeriod::Today},
        {"7", true, MapPeriod::Last7Days},
        {"30", true, MapPeriod::Last30Days},
        {"TODAY", true, MapPeriod::Today},   // the command prompt ignores case
        {"07", false, {}},       // no other spelling
        {"7 ", false, {}},
        {"1", false, {}},         // only the four spans offered
        {"", false, {}},
        {nullptr, false, {}},
    };
    for (const Case& c : cases) {
        MapPeriod period = MapPeriod::Today;
        EXPECT_EQ(ParseMapPeriod(c.word, period), c.accepted) << (c.word ? c.word : "(null)");
        EXPECT_EQ(period, c.accepted ? c.period : MapPeriod::Today) << "a refused word changes nothing";
    }
    EXPECT_EQ(DefaultMapPeriod, MapPeriod::All);
    for (MapPeriod period : MapPeriods) {
        MapPeriod read = MapPeriod::All;
        EXPECT_TRUE(ParseMapPeriod(MapPeriodWord(period), read));
        EXPECT_EQ(read, period);
    }
}

TEST(MapPeriod, CaptionsAreShiftJis)
{
    // 全期間, 今日, 過去 7 日, 過去 30 日 in code page 932.
    EXPECT_STREQ(MapPeriodCaption(MapPeriod::All), "\x91\x53\x8a\xfa\x8a\xd4");
    EXPECT_STREQ(MapPeriodCaption(MapPeriod::Today), "\x8d\xa1\x93\xfa");
    EXPECT_STREQ(MapPeriodCaption(MapPeriod::Last7Days), "\x89\xdf\x8b\x8e" " 7 " "\x93\xfa");
    EXPECT_STREQ(MapPeriodCaption(MapPeriod::Last30Days), "\x89\xdf\x8b\x8e" " 30 " "\x93\xfa");
}

TEST(MapPeriod, EachPeriodTakesItsCounts)
{
    StoredValues values{};
    values[1] = 500;    // b, all time
    values[55] = 900;   // the total: no key of its own
    values[81] = 12;    // caret
    HistoryPeriods periods;
    periods.today.keys[1] = 3;
    periods.last7.keys[1] = 40;
    periods.last30.keys[1] = 200;
    periods.last30.keys[76] = 2;
    struct Case {
        MapPeriod period;
        uint64_t b, caret;
    } cases[] = {
        {MapPeriod::All, 500, 12},
        {MapPeriod::Today, 3, 0},
        {MapPeriod::Last7Days, 40, 0},
        {MapPeriod::Last30Days, 200, 2},
    };
    for (const Case& c : cases) {
        KeyCounts counts = KeyCountsOfPeriod(c.period, SnapshotOf(values), periods);
        EXPECT_EQ(counts[KeyIndexOf("b")], c.b) << MapPeriodWord(c.period);
        EXPECT_EQ(counts[KeyIndexOf("caret")], c.caret) << MapPeriodWord(c.period);
    }
}

TEST(KeyCountText, FullDigitsWhenTheyFitElseAShorterForm)
{
    struct Case {
        uint64_t value;
        int room, digit;
        const char* text;
    } cases[] = {
        {0, 40, 8, "0"},
        {12345, 40, 8, "12345"},             // five digits in exactly five widths
        {12345, 38, 8, "12345"},             // their blank first and last pixels beyond
        {12345, 37, 8, "12k"},               // "12.3k" does not exist: one decimal below 10 only
        {1234, 32, 8, "1234"},               // "1.2k" is no shorter
        {1999, 29, 8, "1k"},                 // cut down, never rounded up
        {1299999, 32, 8, "1.2M"},
        {35999, 24, 8, "35k"},
        {999999, 32, 8, "999k"},
        {1250000, 24, 6, "1.2M"},
        {12500000, 24, 6, "12M"},
        {1500000000, 24, 6, "1.5G"},
        {UINT64_MAX, 160, 8, "18446744073709551615"},
        {UINT64_MAX, 24, 6, "18E"},
        {999, 16, 8, ""},                    // nothing shorter to fall back on
        {123456, 8, 8, ""},                  // not even "123k"
        {123456, 10, 0, "123456"},           // a digit of no width always fits
    };
    for (const Case& c : cases)
        EXPECT_EQ(Count(c.value, c.room, c.digit), c.text) << c.value << " in " << c.room;
}

struct Canvas {
    const char* what;
    PixelRect area;
    bool title;
    int unit, rowUnit;   // pixels a key unit across and down
};

const Canvas Canvases[] = {
    {"tab page", {0, 0, 450, 300}, false, 19, 28},              // keys taller than wide: two lines fit
    {"tab page with a title", {0, 0, 470, 330}, true, 20, 30},
    {"tab page at 100 % with Wine's fonts", {0, 0, 528, 300}, false, 22, 33},
    {"tab page at 150 %", {0, 0, 705, 495}, false, 30, 45},
    {"picture", {0, 0, 1400, 540}, true, 60, 60},               // square keys
    {"picture, offset", {100, 50, 1500, 590}, true, 60, 60},
    {"a wide, low canvas", {0, 0, 2000, 300}, false, 37, 37},   // the height decides
};

TEST(MapLayout, KeyboardAndScaleFitTheCanvas)
{
    for (const Canvas& canvas : Canvases) {
        SCOPED_TRACE(canvas.what);
        KeyMapLayout layout = LayOutKeyMap(canvas.area, canvas.title);
        EXPECT_EQ(layout.unit, canvas.unit);
        EXPECT_EQ(layout.rowUnit, canvas.rowUnit);
        EXPECT_TRUE(Inside(layout.keyboard, canvas.area));
        EXPECT_TRUE(Inside(layout.scaleBar, canvas.area));
        EXPECT_TRUE(Inside(layout.scaleLowText, canvas.area));
        EXPECT_TRUE(Inside(layout.scaleHighText, canvas.area));
        EXPECT_GE(layout.scaleBar.top, layout.keyboard.bottom);
        EXPECT_FALSE(layout.scaleBar.IsEmpty());
        EXPECT_LT(layout.scaleLowText.right, layout.scaleBar.left);
        EXPECT_GT(layout.scaleHighText.left, layout.scaleBar.right);
        if (canvas.title) {
            EXPECT_TRUE(Inside(layout.title, canvas.area));
            EXPECT_LE(layout.title.bottom, layout.keyboard.top);
            EXPECT_GT(layout.titleFontPixels, 0);
            EXPECT_LE(layout.titleFontPixels, layout.title.bottom - layout.title.top);
        } else {
            EXPECT_TRUE(layout.title.IsEmpty());
        }

        // Centred: the room left and right, and above and below, differs by a pixel at most.
        int leftRoom = layout.keyboard.left - canvas.area.left;
        int rightRoom = canvas.area.right - layout.keyboard.right;
        EXPECT_LE(std::abs(leftRoom - rightRoom), 1);
        int topEdge = canvas.title ? layout.title.top : layout.keyboard.top;
        int belowRoom = canvas.area.bottom - layout.scaleLowText.bottom;
        EXPECT_LE(std::abs((topEdge - canvas.area.top) - belowRoom), 1);

        // The largest keys: a pixel more across would leave the canvas, and
        // a pixel more down too, or make keys more than half as tall again.
        int quartersHigh = (canvas.title ? 4 : 0) + KeyboardHeight + 5;
        int width = canvas.area.right - canvas.area.left - 8;
        int height = canvas.area.bottom - canvas.area.top - 8;
        EXPECT_TRUE(KeyboardWidth * (layout.unit + 1) > 4 * width || quartersHigh * (layout.unit + 1) > 4 * height);
        EXPECT_TRUE(quartersHigh * (layout.rowUnit + 1) > 4 * height || 2 * (layout.rowUnit + 1) > 3 * layout.unit);
    }
}

TEST(MapLayout, KeysStayApartAndTheirTextsFit)
{
    auto keys = KeyboardKeys();
    for (const Canvas& canvas : Canvases) {
        SCOPED_TRACE(canvas.what);
        KeyMapLayout layout = LayOutKeyMap(canvas.area, canvas.title);
        // Legible: never smaller than the smallest text of the tab's controls.
        EXPECT_GE(layout.legendFontPixels, 10);
        EXPECT_GE(layout.smallFontPixels, 8);
        std::vector<PixelRect> faces;
        for (const KeyCap& key : keys) {
            PixelRect face = KeyFace(layout, key);
            EXPECT_TRUE(Inside(face, KeyArea(layout, key))) << key.legend;
            EXPECT_TRUE(Inside(face, layout.keyboard)) << key.legend;
            EXPECT_GE(face.right - face.left, layout.unit - 2 * layout.keyInset) << key.legend;
            for (const PixelRect& other : faces)
                EXPECT_FALSE(Overlap(face, other)) << key.legend;
            faces.push_back(face);

            KeyTextPlaces places = PlaceKeyTexts(layout, key);
            EXPECT_TRUE(Inside(places.legend, face)) << key.legend;
            int length = static_cast<int>(std::strlen(places.legendText));
            int fontWidth = (places.legendPixels + 1) / 2;
            int characterWidth = places.narrowWidth > 0 ? places.narrowWidth : fontWidth;
            // Its first and last pixels may lie beyond: they are blank.
            EXPECT_LE(length * characterWidth, places.legend.right - places.legend.left + 2) << key.legend;
            EXPECT_LE(places.legendPixels, places.legend.bottom - places.legend.top + 1) << key.legend;
            // From the tab at 100 % up (its keys a unit of 22 pixels and
            // more), every legend legible: narrowed by a quarter at most.
            if (layout.unit >= 22) {
                EXPECT_GE(characterWidth * 4, fontWidth * LegibleNarrowingQuarters) << key.legend;
                EXPECT_GE(characterWidth, 5) << key.legend;
                EXPECT_GE(places.legendPixels, 10) << key.legend;
            }
            if (key.IsCounted()) {
                EXPECT_TRUE(Inside(places.count, face)) << key.legend;
                EXPECT_FALSE(Overlap(places.legend, places.count)) << key.legend;
                EXPECT_LE(layout.smallFontPixels, places.count.bottom - places.count.top) << key.legend;
            } else {
                EXPECT_TRUE(places.count.IsEmpty()) << key.legend;
            }
        }
    }
}

// With a half-width digit of the count font, a letter key shows four digits
// on the tab page at 100 % under Wine's fonts and five in the picture before
// it shortens them; on a smaller tab it shortens rather than narrow its
// digits past reading, unless nothing else fits.
TEST(MapLayout, CountsOnALetterKey)
{
    const KeyCap& q = KeyboardKeys()[39];
    ASSERT_STREQ(q.legend, "Q");
    struct Case {
        PixelRect canvas;
        uint64_t value;
        const char* text;
        bool narrow;
    } cases[] = {
        {{0, 0, 528, 300}, 9999, "9999", false},
        {{0, 0, 528, 300}, 12345, "12k", false},
        {{0, 0, 528, 300}, 654321, "654k", false},  // as after years of typing
        {{0, 0, 470, 330}, 999, "999", false},
        {{0, 0, 470, 330}, 9999, "9k", false},      // four digits of 4 pixels would run together
        {{0, 0, 470, 330}, 654321, "654k", true},   // but rather that than no count
        {{0, 0, 1400, 540}, 99999, "99999", false},
        {{0, 0, 1400, 540}, 123456, "123k", false},
    };
    for (const Case& c : cases) {
        KeyMapLayout layout = LayOutKeyMap(c.canvas, true);
        PixelRect room = PlaceKeyTexts(layout, q).count;
        char text[KeyCountTextSize];
        EXPECT_EQ(FormatKeyCount(c.value, room.right - room.left, (layout.smallFontPixels + 1) / 2,
                                 layout.narrowDigitPixels, text),
                  c.narrow);
        EXPECT_STREQ(text, c.text) << c.canvas.right << " x " << c.canvas.bottom;
    }
}

// The keys whose legends are long for their size, as the picture, the tab at
// 100 % under Wine's fonts, and a smaller tab (the Japanese Windows fonts at
// 100 %) draw them: whole, smaller or narrowed while legible, else short.
TEST(MapLayout, LongLegendsAreShortenedWhereTheyCannotBeRead)
{
    const struct {
        int column;          // NoKeyIndex: the keypad's Enter
        const char* picture;
        const char* tab;     // legend on the tab page, in the legend font
        const char* small;   // on the smaller tab
    } cases[] = {
        {KeyIndexOf("printscreen"), "PrtSc", "Prt", "Prt"},
        {KeyIndexOf("scrolllock"), "ScrLk", "Scr", "Scr"},
        {KeyIndexOf("pause"), "Pause", "Pau", "Pau"},
        {KeyIndexOf("home"), "Home", "Home", "Hom"},    // narrowed by a sixth on the tab
        {KeyIndexOf("pageup"), "PgUp", "PgUp", "P↑"},
        {KeyIndexOf("end"), "End", "End", "End"},
        {KeyIndexOf("muhenkan"), "無変換", "無変", "無変"},
        {KeyIndexOf("hankaku"), "半/全", "全", "全"},
        {KeyIndexOf("ctrl"), "Ctrl", "Ctrl", "Ctrl"},
        {KeyIndexOf("menu"), "アプリ", "≡", "≡"},     // the key's name, as the key names say it
        {KeyIndexOf("caret"), "∧", "∧", "∧"},         // a caret of either width is a speck
        {KeyIndexOf("escape"), "Esc", "Esc", "Esc"},
        {NoKeyIndex, "Enter", "Ent", "Ent"},
    };
    KeyMapLayout picture = LayOutKeyMap(Canvases[4].area, true);
    KeyMapLayout tab = LayOutKeyMap(Canvases[2].area, false);
    KeyMapLayout small = LayOutKeyMap(Canvases[0].area, false);
    ASSERT_EQ(tab.unit, 22);
    ASSERT_EQ(small.unit, 19);
    for (const auto& c : cases) {
        const KeyCap* key = nullptr;
        for (const KeyCap& candidate : KeyboardKeys()) {
            if (candidate.values[0] == c.column && (c.column != NoKeyIndex || candidate.face.height > 4))
                key = &candidate;
        }
        ASSERT_NE(key, nullptr) << c.picture;
        EXPECT_STREQ(PlaceKeyTexts(picture, *key).legendText, c.picture);
        KeyTextPlaces onTab = PlaceKeyTexts(tab, *key);
        EXPECT_STREQ(onTab.legendText, c.tab);
        EXPECT_EQ(onTab.legendPixels, tab.legendFontPixels) << c.tab;
        EXPECT_STREQ(PlaceKeyTexts(small, *key).legendText, c.small);
    }
}

TEST(MapLayout, EnterIsOutlinedAsOneInvertedL)
{
    KeyMapLayout layout = LayOutKeyMap({0, 0, 1200, 400}, false);
    const KeyCap* enter = nullptr;
    const KeyCap* q = nullptr;
    for (const KeyCap& key : KeyboardKeys()) {
        if (key.values[0] == KeyIndexOf("enter"))
            enter = &key;
        if (std::strcmp(key.legend, "Q") == 0)
            q = &key;
    }
    ASSERT_TRUE(enter && q);

    PixelPoint corners[6];
    ASSERT_EQ(KeyOutline(layout, *q, corners), 4);
    PixelRect face = KeyFace(layout, *q);
    EXPECT_EQ(corners[0], (PixelPoint{face.left, face.top}));
    EXPECT_EQ(corners[2], (PixelPoint{face.right - 1, face.bottom - 1}));

    ASSERT_EQ(KeyOutline(layout, *enter, corners), 6);
    face = KeyFace(layout, *enter);
    int u = layout.unit;
    EXPECT_EQ(corners[0], (PixelPoint{face.left, face.top}));
    EXPECT_EQ(corners[1].x, face.right - 1);
    EXPECT_NEAR(corners[2].y - corners[1].y, 2 * layout.rowUnit, 2 * layout.keyInset + 1) << "two rows deep";
    EXPECT_NEAR(corners[2].x - corners[3].x, u * 5 / 4, 2 * layout.keyInset + 1) << "1.25 units at the foot";
    EXPECT_EQ(corners[3].x, corners[4].x);
    EXPECT_EQ(corners[4].y, corners[5].y);
    EXPECT_EQ(corners[5].y, face.bottom - 1);
    EXPECT_EQ(corners[5].x, face.left);
    // What a change repaints holds the whole outline, the lower part too.
    PixelRect area = KeyArea(layout, *enter);
    for (const PixelPoint& corner : corners)
        EXPECT_TRUE(Inside({corner.x, corner.y, corner.x + 1, corner.y + 1}, area));
}

TEST(MapLayout, TooSmallACanvasGetsNoKeyboard)
{
    for (PixelRect canvas : {PixelRect{0, 0, 100, 60}, PixelRect{0, 0, 0, 0}, PixelRect{10, 10, 5, 5},
                             PixelRect{0, 0, 2000, 20}}) {
        EXPECT_EQ(LayOutKeyMap(canvas, true).unit, 0) << canvas.right << " x " << canvas.bottom;
    }
    EXPECT_GE(LayOutKeyMap({0, 0, 200, 80}, false).unit, SmallestKeyUnit);
}

} // namespace
