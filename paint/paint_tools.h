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

constexpr COLORREF Background = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF Caption = RGB(0x30, 0x30, 0x30);
constexpr COLORREF CountedOutline = RGB(0x80, 0x70, 0x60);   // around the scale's fills
constexpr COLORREF PlainOutline = RGB(0xB4, 0xB4, 0xB4);     // around what has no value

inline COLORREF ToColorref(Rgb colour) { return RGB(colour.red, colour.green, colour.blue); }

inline RECT ToRect(const PixelRect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

// A font of the given character height, deleted with this object. Declared
// before the DcState that selects it, so that it is deselected first.
class PaintFont {
public:
    explicit PaintFont(int pixels)
        : font_(pixels > 0 ? CreateFontA(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0,
                                         0, 0, PaintFontFace)
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
