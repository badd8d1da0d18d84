#include "stats/count_font.h"

#include <cstring>

#include "win/screen_scale.h"

namespace {

constexpr char CountFontFace[] = "MSゴシック";
constexpr int CountFontPoints = 10;

// The scale the windows that show the figures are laid out at; until they
// are, the system's.
UINT CountFontDpi = 0;

UINT CurrentCountFontDpi()
{
    if (CountFontDpi == 0)
        CountFontDpi = SystemDpi();
    return CountFontDpi;
}

HFONT CreateCountFont()
{
    // No face of exactly this name need exist: the mapper picks a Shift-JIS one.
    return CreateFontA(-MulDiv(CountFontPoints, static_cast<int>(CurrentCountFontDpi()), 72), 0, 0, 0, FW_NORMAL,
                       FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0, 0, 0, CountFontFace);
}

// A point of a dialog in dialog units, in that dialog's client pixels.
POINT UnitsToPixels(HWND dialog, UnitPoint point)
{
    RECT area = {point.x, point.y, point.x, point.y};
    MapDialogRect(dialog, &area);
    return {area.left, area.top};
}

} // namespace

ScopedCountFont::ScopedCountFont(HDC dc) : dc_(dc), font_(CreateCountFont()), previous_(nullptr)
{
    if (font_ != nullptr)
        previous_ = SelectObject(dc_, font_);
}

ScopedCountFont::~ScopedCountFont()
{
    if (font_ == nullptr)
        return;
    SelectObject(dc_, previous_);
    DeleteObject(font_);
}

namespace {

// The count font's line height and ascent, measured again only when the
// scale changes.
struct CountFontMetrics {
    int lineHeight = 0;
    int ascent = 0;
};

const CountFontMetrics& MeasuredCountFont()
{
    static UINT measuredDpi = 0;
    static CountFontMetrics measured;
    if (measuredDpi == CurrentCountFontDpi())
        return measured;
    measuredDpi = CurrentCountFontDpi();
    HDC screen = GetDC(nullptr);
    TEXTMETRICA metrics = {};
    {
        ScopedCountFont font(screen);
        GetTextMetricsA(screen, &metrics);
    }
    ReleaseDC(nullptr, screen);
    measured = {metrics.tmHeight + metrics.tmExternalLeading, metrics.tmAscent};
    return measured;
}

// The ascent of a dialog's own font: its labels' text begins at their top.
int DialogFontAscent(HWND dialog)
{
    HDC screen = GetDC(nullptr);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font != nullptr ? SelectObject(screen, font) : nullptr;
    TEXTMETRICA metrics = {};
    GetTextMetricsA(screen, &metrics);
    if (previous != nullptr)
        SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return metrics.tmAscent;
}

} // namespace

void SetCountFontDpi(UINT dpi) { CountFontDpi = dpi; }

int FigureBaselineOffset(HWND dialog) { return DialogFontAscent(dialog); }

int FigureTopOffset(HWND dialog) { return DialogFontAscent(dialog) - MeasuredCountFont().ascent; }

FigurePainter::FigurePainter(HWND dialog)
    : dialog_(dialog), paint_(dialog), font_(paint_.Dc()), baseline_(FigureBaselineOffset(dialog))
{
    // Invalidated without erasing: clear here, so that nothing of an earlier,
    // longer figure remains beside a shorter one. The dialog's own background
    // (a tab's body on a page in the visual style, else the dialog colour),
    // and on it the figures as the labels beside them are drawn: in the
    // window text colour, which high-contrast themes change too.
    SendMessageA(dialog_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint_.Dc()), 0);
    SetBkMode(paint_.Dc(), TRANSPARENT);
    SetTextColor(paint_.Dc(), GetSysColor(COLOR_WINDOWTEXT));
    SetTextAlign(paint_.Dc(), TA_RIGHT | TA_BASELINE | TA_NOUPDATECP);
}

void FigurePainter::DrawFigure(UnitPoint anchor, const CountedValue& counted)
{
    char text[CountTextSize];
    Counters.CopyText(counted, text);
    POINT at = UnitsToPixels(dialog_, anchor);
    TextOutA(paint_.Dc(), at.x, at.y + baseline_, text, static_cast<int>(std::strlen(text)));
}

PixelRect BandInMainWindow(HWND dialog, UnitRect band, HWND mainWindow)
{
    RECT area = {band.left, band.top, band.right, band.top};
    MapDialogRect(dialog, &area);
    area.right += 1;
    area.top += FigureTopOffset(dialog);
    area.bottom = area.top + MeasuredCountFont().lineHeight;
    MapWindowPoints(dialog, mainWindow, reinterpret_cast<POINT*>(&area), 2);
    return {area.left, area.top, area.right, area.bottom};
}
