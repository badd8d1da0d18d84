#include "keymap/map_painter.h"

#include <optional>

#include "paint/heat_scale.h"
#include "keymap/map_layout.h"
#include "paint/paint_tools.h"

namespace {

constexpr UINT CentredLine = DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP;

void DrawKeyShape(HDC dc, const KeyMapLayout& layout, const KeyCap& key, COLORREF fill, COLORREF outline)
{
    PixelPoint corners[6];
    int count = KeyOutline(layout, key, corners);
    POINT points[6];
    for (int i = 0; i < count; ++i)
        points[i] = {corners[i].x, corners[i].y};
    SetDCBrushColor(dc, fill);
    SetDCPenColor(dc, outline);
    Polygon(dc, points, count);
}

void DrawScale(HDC dc, const KeyMapLayout& layout, uint64_t highest, int digitPixels, const PaintColours& colours)
{
    const PixelRect& bar = layout.scaleBar;
    int width = bar.right - bar.left;
    // Strips two pixels wide: a smooth enough ramp for half the fills.
    for (int x = bar.left; x < bar.right; x += 2) {
        double fraction = width > 1 ? static_cast<double>(x - bar.left) / (width - 1) : 0;
        RECT strip = {x, bar.top, x + 2 < bar.right ? x + 2 : bar.right, bar.bottom};
        FillWith(dc, strip, ToColorref(HeatColourAt(fraction)));
    }
    RECT frame = ToRect(bar);
    SetDCBrushColor(dc, CountedOutline);
    FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));

    SetTextColor(dc, colours.text);
    DrawLine(dc, "0", layout.scaleLowText, DT_SINGLELINE | DT_RIGHT | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP);
    char text[KeyCountTextSize];
    FormatKeyCount(highest, layout.scaleHighText.right - layout.scaleHighText.left, digitPixels, text);
    DrawLine(dc, text, layout.scaleHighText, DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP);
}

// The fonts of the keys' texts, made once per drawing, never once per key:
// the counts' font and its narrower digits, and the legends' fonts, each
// size and width that the legends take (a few).
class KeyFonts {
public:
    explicit KeyFonts(const KeyMapLayout& layout)
        : small(layout.smallFontPixels),
          narrowSmall(layout.narrowDigitPixels > 0 ? layout.smallFontPixels : 0, layout.narrowDigitPixels)
    {
    }

    const PaintFont small, narrowSmall;

    // The legend font of pixels height, with half-width characters
    // narrowWidth wide (0: its own).
    const PaintFont& Legend(int pixels, int narrowWidth)
    {
        for (int i = 0; i < count_; ++i) {
            if (sizes_[i].pixels == pixels && sizes_[i].width == narrowWidth)
                return *fonts_[i];
        }
        // More than the few expected: the last one made serves.
        if (count_ == MaxFonts)
            return *fonts_[count_ - 1];
        sizes_[count_] = {pixels, narrowWidth};
        return fonts_[count_++].emplace(pixels, narrowWidth);
    }

private:
    static constexpr int MaxFonts = 8;
    struct Size {
        int pixels = 0, width = 0;
    } sizes_[MaxFonts];
    std::optional<PaintFont> fonts_[MaxFonts];
    int count_ = 0;
};

// The keys, or only those that only names: shapes filled on the scale,
// legends, counts. The face and outline of a key cover all that an earlier
// drawing of it left. Returns the width of a digit in the small font.
int DrawKeys(HDC dc, const KeyMapLayout& layout, const KeyMapPicture& picture, uint64_t highest,
             KeyFonts& fonts, const KeySelection* only)
{
    SelectObject(dc, GetStockObject(DC_BRUSH));
    SelectObject(dc, GetStockObject(DC_PEN));
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);

    auto keys = KeyboardKeys();
    auto chosen = [only](size_t i) { return only == nullptr || (*only)[i]; };
    COLORREF texts[KeyboardKeyCount] = {};
    uint64_t values[KeyboardKeyCount] = {};
    for (size_t i = 0; i < keys.size(); ++i) {
        bool counted = KeyValue(keys[i], picture.counts, picture.mode, values[i]);
        if (!chosen(i))
            continue;
        if (counted) {
            Rgb fill = HeatColour(values[i], highest);
            texts[i] = ToColorref(HeatTextColour(fill));
            DrawKeyShape(dc, layout, keys[i], ToColorref(fill), CountedOutline);
        } else {
            texts[i] = picture.colours.plainText;
            DrawKeyShape(dc, layout, keys[i], picture.colours.background, picture.colours.plainOutline);
        }
    }

    for (size_t i = 0; i < keys.size(); ++i) {
        if (!chosen(i))
            continue;
        KeyTextPlaces places = PlaceKeyTexts(layout, keys[i]);
        fonts.Legend(places.legendPixels, places.narrowWidth).SelectInto(dc);
        SetTextColor(dc, texts[i]);
        DrawLine(dc, places.legendText, places.legend, CentredLine);
    }

    // The digits' widths as drawn: in the small font, and narrowed.
    SIZE digit = {}, narrowDigit = {};
    if (layout.narrowDigitPixels > 0) {
        fonts.narrowSmall.SelectInto(dc);
        GetTextExtentPoint32A(dc, "0", 1, &narrowDigit);
    }
    fonts.small.SelectInto(dc);
    GetTextExtentPoint32A(dc, "0", 1, &digit);
    for (bool narrow : {false, true}) {
        for (size_t i = 0; i < keys.size(); ++i) {
            if (!chosen(i) || !keys[i].IsCounted())
                continue;
            KeyTextPlaces places = PlaceKeyTexts(layout, keys[i]);
            char text[KeyCountTextSize];
            if (FormatKeyCount(values[i], places.count.right - places.count.left, digit.cx, narrowDigit.cx, text) !=
                narrow)
                continue;
            SetTextColor(dc, texts[i]);
            DrawLine(dc, text, places.count, CentredLine);
        }
        fonts.narrowSmall.SelectInto(dc);
    }
    fonts.small.SelectInto(dc);
    return digit.cx;
}

} // namespace

void DrawKeyMap(HDC dc, const RECT& area, const KeyMapPicture& picture)
{
    bool withTitle = picture.title != nullptr && picture.title[0] != '\0';
    KeyMapLayout layout = LayOutKeyMap({area.left, area.top, area.right, area.bottom}, withTitle);
    KeyFonts fonts(layout);
    PaintFont titleFont(layout.titleFontPixels);
    DcState state(dc);

    FillWith(dc, area, picture.colours.background);
    if (layout.unit == 0)
        return;
    uint64_t highest = HighestKeyValue(picture.counts, picture.mode);
    int digitWidth = DrawKeys(dc, layout, picture, highest, fonts, nullptr);
    DrawScale(dc, layout, highest, digitWidth, picture.colours);

    if (withTitle) {
        titleFont.SelectInto(dc);
        SetTextColor(dc, picture.colours.text);
        DrawLine(dc, picture.title, layout.title, DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
}

void DrawKeyMapKeys(HDC dc, const RECT& area, const KeyMapPicture& picture, const KeySelection& only)
{
    bool withTitle = picture.title != nullptr && picture.title[0] != '\0';
    KeyMapLayout layout = LayOutKeyMap({area.left, area.top, area.right, area.bottom}, withTitle);
    if (layout.unit == 0)
        return;
    KeyFonts fonts(layout);
    DcState state(dc);
    DrawKeys(dc, layout, picture, HighestKeyValue(picture.counts, picture.mode), fonts, &only);
}

void DrawKeyMapScale(HDC dc, const RECT& area, const KeyMapPicture& picture)
{
    bool withTitle = picture.title != nullptr && picture.title[0] != '\0';
    KeyMapLayout layout = LayOutKeyMap({area.left, area.top, area.right, area.bottom}, withTitle);
    if (layout.unit == 0)
        return;
    PaintFont small(layout.smallFontPixels);
    DcState state(dc);
    SetBkMode(dc, TRANSPARENT);
    FillWith(dc, ToRect(ScaleArea(layout)), picture.colours.background);
    small.SelectInto(dc);
    SIZE digit = {};
    GetTextExtentPoint32A(dc, "0", 1, &digit);
    DrawScale(dc, layout, HighestKeyValue(picture.counts, picture.mode), digit.cx, picture.colours);
}
