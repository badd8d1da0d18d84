#pragma once
// Small GDI helpers of the drawings that share the key map's look (the key
// map, the daily chart): their colours and font, the context's state put back
// after a drawing, fills and one-line texts, and the off-screen bitmap that
// picture files are drawn into.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "paint/heat_scale.h"
#include "paint/pixel_geometry.h"

// The drawings' face: no face of exactly this name need exist, the mapper
// picks a Shift-JIS one.
constexpr char PaintFontFace[] = "MSゴシック";

constexpr COLORREF CountedOutline = RGB(0x80, 0x70, 0x60);   // around the scale's fills

// The colours of a drawing beside the scale's fills, which are its data and
// stay as they are. A picture file is a document: dark on white, as printed.
// On screen a drawing takes the system's colours, as the window around it
// does, so that a high-contrast theme reaches it too: the window's colour and
// its text, greys mixed between the two, and that theme's own colours for
// the lines and the selection.
struct PaintColours {
    COLORREF background = RGB(0xFF, 0xFF, 0xFF);
    COLORREF text = RGB(0x30, 0x30, 0x30);
    COLORREF plainOutline = RGB(0xB4, 0xB4, 0xB4);   // around what has no value
    COLORREF plainText = RGB(0x80, 0x80, 0x80);      // the legends of keys not counted
    COLORREF grid = RGB(0xE6, 0xE6, 0xE6);
    COLORREF axis = RGB(0x80, 0x80, 0x80);
    // Cool colours beside the warm scale, so that they stand out from any fill.
    COLORREF averageLine = RGB(0x1F, 0x4E, 0xA8);
    COLORREF rateLine = RGB(0x2E, 0x6B, 0x5E);
    COLORREF selection = RGB(0x10, 0x20, 0x60);
    COLORREF speedLine = RGB(0x6A, 0x3D, 0x9A);   // drawn thicker than the rate's
    bool operator==(const PaintColours&) const = default;
};

constexpr PaintColours DocumentColours{};

// part percent of the way from one colour to another.
inline COLORREF MixColours(COLORREF from, COLORREF to, int part)
{
    auto channel = [part](int a, int b) { return static_cast<BYTE>(a + (b - a) * part / 100); };
    return RGB(channel(GetRValue(from), GetRValue(to)), channel(GetGValue(from), GetGValue(to)),
               channel(GetBValue(from), GetBValue(to)));
}

inline PaintColours ScreenColours()
{
    PaintColours colours;
    colours.background = GetSysColor(COLOR_WINDOW);
    colours.text = GetSysColor(COLOR_WINDOWTEXT);
    // Where the document's greys lie between its white and its black.
    colours.plainOutline = MixColours(colours.background, colours.text, 30);
    colours.plainText = MixColours(colours.background, colours.text, 50);
    colours.grid = MixColours(colours.background, colours.text, 10);
    colours.axis = colours.plainText;
    HIGHCONTRASTA contrast = {sizeof contrast, 0, nullptr};
    if (SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0) {
        colours.averageLine = colours.text;   // dashed, told from the rate by its form
        colours.rateLine = GetSysColor(COLOR_HOTLIGHT);
        colours.selection = GetSysColor(COLOR_HIGHLIGHT);
        colours.speedLine = colours.text;   // thicker, told from the rate by its form
    }
    return colours;
}

inline COLORREF ToColorref(Rgb colour) { return RGB(colour.red, colour.green, colour.blue); }

inline RECT ToRect(const PixelRect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

// A font of the given character height, deleted with this object. Declared
// before the DcState that selects it, so that it is deselected first.
class PaintFont {
public:
    // With averageWidth, characters narrower (or wider) than the font's own.
    explicit PaintFont(int pixels, int averageWidth = 0)
        : font_(pixels > 0 ? CreateFontA(-pixels, averageWidth, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                         SHIFTJIS_CHARSET, 0, 0, 0, 0, PaintFontFace)
                           : nullptr)
    {
    }
    ~PaintFont()
    {
        if (font_ != nullptr)
            DeleteObject(font_);
    }
    PaintFont(const PaintFont&) = delete;
    PaintFont& operator=(const PaintFont&) = delete;

    void SelectInto(HDC dc) const
    {
        if (font_ != nullptr)
            SelectObject(dc, font_);
    }

private:
    HFONT font_;
};

// Everything the drawing changes in the context, put back at the end.
class DcState {
public:
    explicit DcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~DcState()
    {
        if (saved_ != 0)
            RestoreDC(dc_, saved_);
    }
    DcState(const DcState&) = delete;
    DcState& operator=(const DcState&) = delete;

private:
    HDC dc_;
    int saved_;
};

inline void DrawLine(HDC dc, const char* text, const PixelRect& place, UINT format)
{
    RECT rect = ToRect(place);
    DrawTextA(dc, text, static_cast<int>(std::strlen(text)), &rect, format);
}

inline void FillWith(HDC dc, const RECT& rect, COLORREF colour)
{
    SetDCBrushColor(dc, colour);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// A top-down 32-bit DIB section selected into a memory context.
class OffscreenBitmap {
public:
    OffscreenBitmap(int width, int height) : dc_(CreateCompatibleDC(nullptr))
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        if (dc_ != nullptr)
            bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        if (bitmap_ != nullptr)
            previous_ = SelectObject(dc_, bitmap_);
    }
    ~OffscreenBitmap()
    {
        if (previous_ != nullptr)
            SelectObject(dc_, previous_);
        if (bitmap_ != nullptr)
            DeleteObject(bitmap_);
        if (dc_ != nullptr)
            DeleteDC(dc_);
    }
    OffscreenBitmap(const OffscreenBitmap&) = delete;
    OffscreenBitmap& operator=(const OffscreenBitmap&) = delete;

    bool Ready() const { return previous_ != nullptr && bits_ != nullptr; }
    HDC Dc() const { return dc_; }
    uint8_t* Bits() const { return bits_; }

private:
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint8_t* bits_ = nullptr;
};
