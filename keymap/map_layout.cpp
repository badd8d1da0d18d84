#include "keymap/map_layout.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

constexpr int CanvasMargin = 4;
// Heights in quarter units: the title line and the space below it, the gap
// between the keyboard and the scale, and the scale's line.
constexpr int TitleBand = 3;
constexpr int TitleGap = 1;
constexpr int ScaleGap = 2;
constexpr int ScaleBand = 3;
// The bar spans the middle of the keyboard, 8 units.
constexpr int ScaleBarLeft = 30;
constexpr int ScaleBarRight = 62;

int QuarterX(const KeyMapLayout& layout, int quarters) { return layout.left + quarters * layout.unit / 4; }
int QuarterY(const KeyMapLayout& layout, int quarters) { return layout.top + quarters * layout.rowUnit / 4; }

PixelRect InsetBounds(const KeyMapLayout& layout, const QuarterRect& part)
{
    int inset = layout.keyInset;
    return {QuarterX(layout, part.x) + inset, QuarterY(layout, part.y) + inset,
            QuarterX(layout, part.Right()) - inset, QuarterY(layout, part.Bottom()) - inset};
}


// The text of a value cut down to a multiple of a power of 1000; one decimal
// when the leading figure is a single digit and decimals is set.
void FormatShortened(uint64_t value, bool decimals, char (&text)[KeyCountTextSize])
{
    static const char Suffixes[] = "kMGTPE";
    uint64_t scale = 1000;
    int suffix = 0;
    while (value / scale >= 1000) {
        scale *= 1000;
        ++suffix;
    }
    uint64_t whole = value / scale;
    char* end = std::to_chars(text, text + KeyCountTextSize - 4, whole).ptr;
    if (decimals && whole < 10) {
        *end++ = '.';
        *end++ = static_cast<char>('0' + value / (scale / 10) % 10);
    }
    *end++ = Suffixes[suffix];
    *end = '\0';
}

// A run of characters leaves the first and the last pixel of its advances
// blank: it fits a room two pixels narrower than they are.
constexpr int BlankEdges = 2;

bool Fits(const char* text, int roomPixels, int digitPixels)
{
    return static_cast<int64_t>(std::strlen(text)) * std::max(digitPixels, 0) <= roomPixels + BlankEdges;
}

// Narrowed characters of fewer pixels than this run together on a screen.
constexpr int LegibleCharacterPixels = 5;

bool LegiblyNarrowed(int narrow, int fontWidth)
{
    return narrow >= LegibleCharacterPixels && narrow * 4 >= fontWidth * LegibleNarrowingQuarters;
}

// A key's texts keep clear of its outline, and above and below of the fill's
// edge too; a row's worth of the key holds them.
int TextInsetDown(const KeyMapLayout& layout) { return layout.keyInset + 1; }
int TextRowHeight(const KeyMapLayout& layout) { return layout.rowUnit - 2 * (layout.keyInset + TextInsetDown(layout)); }

// The smallest fonts of the keys' texts: smaller ones cannot be read on a
// screen at 100 % (a legend has letters less plain than digits).
constexpr int LegibleCountPixels = 10;
constexpr int LegibleLegendPixels = 11;

// The width a text's half-width characters take in room, drawn in a font
// whose own are fontWidth: fontWidth, or (if narrowing) narrower but still
// legible; 0 when it does not fit so.
int LegibleWidth(const char* text, int fontWidth, int room, bool narrowing)
{
    int length = static_cast<int>(std::strlen(text));
    if (length == 0 || Fits(text, room, fontWidth))
        return fontWidth;
    int narrow = (room + BlankEdges) / length;
    return narrowing && LegiblyNarrowed(narrow, fontWidth) ? narrow : 0;
}

} // namespace

KeyMapLayout LayOutKeyMap(const PixelRect& canvas, bool withTitle)
{
    KeyMapLayout layout;
    int width = canvas.right - canvas.left - 2 * CanvasMargin;
    int height = canvas.bottom - canvas.top - 2 * CanvasMargin;
    int above = withTitle ? TitleBand + TitleGap : 0;
    int quartersHigh = above + KeyboardHeight + ScaleGap + ScaleBand;
    if (width <= 0 || height <= 0)
        return layout;
    int down = height * 4 / quartersHigh;
    int unit = std::min(width * 4 / KeyboardWidth, down);
    if (unit < SmallestKeyUnit)
        return layout;

    layout.unit = unit;
    layout.rowUnit = std::min(down, unit * 3 / 2);
    int rowUnit = layout.rowUnit;
    layout.left = canvas.left + (canvas.right - canvas.left - KeyboardWidth * unit / 4) / 2;
    int picture = quartersHigh * rowUnit / 4;
    int pictureTop = canvas.top + (canvas.bottom - canvas.top - picture) / 2;
    layout.top = pictureTop + above * rowUnit / 4;
    layout.keyInset = std::max(1, unit / 20);
    // Three half-width characters fit a key a unit wide.
    layout.legendFontPixels = std::min(rowUnit * 3 / 8, (unit - 4 * layout.keyInset) * 2 / 3);
    layout.reducedLegendFontPixels =
        std::min(layout.legendFontPixels, std::max(layout.legendFontPixels * 5 / 6, LegibleLegendPixels));
    // Counts as large as a key's lower half holds, up to a legible size on
    // the tab; in proportion to the key beyond.
    int countHeight = TextRowHeight(layout) / 2;
    layout.smallFontPixels = std::max(rowUnit * 5 / 16, std::min(LegibleCountPixels, countHeight));
    int countRoom = unit - 4 * layout.keyInset;
    int digit = (layout.smallFontPixels + 1) / 2;
    if (4 * digit > countRoom + BlankEdges)
        layout.narrowDigitPixels = std::max(1, (countRoom + BlankEdges) / 4);
    layout.keyboard = {layout.left, layout.top, QuarterX(layout, KeyboardWidth), QuarterY(layout, KeyboardHeight)};

    if (withTitle) {
        layout.titleFontPixels = rowUnit / 2;
        layout.title = {layout.left, pictureTop, layout.keyboard.right, pictureTop + TitleBand * rowUnit / 4};
    }

    int bandTop = QuarterY(layout, KeyboardHeight + ScaleGap);
    int bandBottom = QuarterY(layout, KeyboardHeight + ScaleGap + ScaleBand);
    int barHeight = rowUnit / 2;
    int barTop = bandTop + (bandBottom - bandTop - barHeight) / 2;
    layout.scaleBar = {QuarterX(layout, ScaleBarLeft), barTop, QuarterX(layout, ScaleBarRight), barTop + barHeight};
    int space = unit / 4;
    layout.scaleLowText = {layout.left, bandTop, layout.scaleBar.left - space, bandBottom};
    layout.scaleHighText = {layout.scaleBar.right + space, bandTop, layout.keyboard.right, bandBottom};
    return layout;
}

PixelRect ScaleArea(const KeyMapLayout& layout)
{
    return {layout.scaleLowText.left, layout.scaleLowText.top, layout.scaleHighText.right, layout.scaleHighText.bottom};
}

PixelRect KeyFace(const KeyMapLayout& layout, const KeyCap& key) { return InsetBounds(layout, key.face); }

PixelRect KeyArea(const KeyMapLayout& layout, const KeyCap& key)
{
    PixelRect area = KeyFace(layout, key);
    if (key.lowerPart.width != 0) {
        PixelRect lower = InsetBounds(layout, key.lowerPart);
        area = {std::min(area.left, lower.left), area.top, std::max(area.right, lower.right), lower.bottom};
    }
    return {area.left - 1, area.top - 1, area.right + 1, area.bottom + 1};
}

int KeyOutline(const KeyMapLayout& layout, const KeyCap& key, PixelPoint (&corners)[6])
{
    PixelRect face = KeyFace(layout, key);
    int right = face.right - 1;
    int bottom = face.bottom - 1;
    if (key.lowerPart.width == 0) {
        corners[0] = {face.left, face.top};
        corners[1] = {right, face.top};
        corners[2] = {right, bottom};
        corners[3] = {face.left, bottom};
        return 4;
    }
    PixelRect lower = InsetBounds(layout, key.lowerPart);
    corners[0] = {face.left, face.top};
    corners[1] = {right, face.top};
    corners[2] = {right, lower.bottom - 1};
    corners[3] = {lower.left, lower.bottom - 1};
    corners[4] = {lower.left, bottom};
    corners[5] = {face.left, bottom};
    return 6;
}

KeyTextPlaces PlaceKeyTexts(const KeyMapLayout& layout, const KeyCap& key)
{
    PixelRect face = KeyFace(layout, key);
    int across = layout.keyInset;
    int down = TextInsetDown(layout);
    PixelRect inner = {face.left + across, face.top + down, face.right - across, face.bottom - down};
    int rowHeight = TextRowHeight(layout);
    if (inner.bottom - inner.top > rowHeight) {
        inner.top = (inner.top + inner.bottom - rowHeight) / 2;
        inner.bottom = inner.top + rowHeight;
    }
    KeyTextPlaces places;
    if (!key.IsCounted()) {
        places.legend = inner;
    } else {
        int middle = (inner.top + inner.bottom) / 2;
        places.legend = {inner.left, inner.top, inner.right, middle};
        places.count = {inner.left, middle, inner.right, inner.bottom};
    }
    int room = places.legend.right - places.legend.left;
    const int reduced = layout.reducedLegendFontPixels;
    const int sizes[] = {layout.legendFontPixels, reduced};
    // Narrowed characters come out ragged at a screen's small sizes: a
    // smaller font first, and the short legend rather than narrowing past
    // reading.
    for (const char* text : {key.legend, key.shortLegend}) {
        for (bool narrowing : {false, true}) {
            for (int pixels : sizes) {
                int fontWidth = (pixels + 1) / 2;
                int width = text[0] != '\0' ? LegibleWidth(text, fontWidth, room, narrowing) : 0;
                if (width > 0) {
                    places.legendText = text;
                    places.legendPixels = pixels;
                    places.narrowWidth = width < fontWidth ? width : 0;
                    return places;
                }
            }
        }
    }
    // Nothing reads at this size: the legend, as narrow as it must be.
    places.legendText = key.legend;
    places.legendPixels = reduced;
    places.narrowWidth = std::max(1, room / static_cast<int>(std::max<std::size_t>(std::strlen(key.legend), 1)));
    return places;
}

void FormatKeyCount(uint64_t value, int roomPixels, int digitPixels, char (&text)[KeyCountTextSize])
{
    *std::to_chars(text, text + KeyCountTextSize - 1, value).ptr = '\0';
    if (Fits(text, roomPixels, digitPixels))
        return;
    if (value >= 1000) {
        for (bool decimals : {true, false}) {
            FormatShortened(value, decimals, text);
            if (Fits(text, roomPixels, digitPixels))
                return;
        }
    }
    text[0] = '\0';
}

bool FormatKeyCount(uint64_t value, int roomPixels, int digitPixels, int narrowDigitPixels,
                    char (&text)[KeyCountTextSize])
{
    *std::to_chars(text, text + KeyCountTextSize - 1, value).ptr = '\0';
    if (Fits(text, roomPixels, digitPixels))
        return false;
    bool narrowing = narrowDigitPixels > 0;
    if (narrowing && LegiblyNarrowed(narrowDigitPixels, digitPixels) && Fits(text, roomPixels, narrowDigitPixels))
        return true;
    FormatKeyCount(value, roomPixels, digitPixels, text);
    if (text[0] != '\0' || !narrowing)
        return false;
    // Narrower than reads well, but better than no count at all.
    FormatKeyCount(value, roomPixels, narrowDigitPixels, text);
    return true;
}
