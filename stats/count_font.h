#pragma once
// The count font: 10 points, Shift-JIS, shared by the count pages and the
// summary panel, and the drawing of figures right-aligned on an anchor.
#include <windows.h>

#include "capture/counter_table.h"
#include "paint/scoped_paint.h"
#include "stats/layout.h"

// The count font is 10 points at the scale the count pages and the summary
// panel are laid out at, set with them.
void SetCountFontDpi(UINT dpi);

// Creates the count font and selects it into a paint context for the life of
// this object; without a font the context's own font is used.
class ScopedCountFont {
public:
    explicit ScopedCountFont(HDC dc);
    ~ScopedCountFont();
    ScopedCountFont(const ScopedCountFont&) = delete;
    ScopedCountFont& operator=(const ScopedCountFont&) = delete;

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ previous_;
};

// Figures stand on the baseline of the labels beside them: in a dialog's
// pixels, how far below its labels' top lie their baseline, and the top of a
// figure in the count font.
int FigureBaselineOffset(HWND dialog);
int FigureTopOffset(HWND dialog);

// A paint of figures: clears the update region to the dialog's background and
// selects the count font aligned right, on the baseline, in the window text
// colour and without a background of its own.
class FigurePainter {
public:
    explicit FigurePainter(HWND dialog);

    // Draws a count text whole, its right end at the anchor, on the baseline
    // of the label whose top the anchor gives.
    void DrawFigure(UnitPoint anchor, const CountedValue& counted);

private:
    HWND dialog_;
    ScopedPaint paint_;       // ends the paint after the font is put back
    ScopedCountFont font_;
    int baseline_;
};

// A band of a dialog (in its dialog units, at its label's top) in main-window
// client pixels, moved to the figure's line and one line of the count font
// high: what must be repainted when its figure changes.
PixelRect BandInMainWindow(HWND dialog, UnitRect band, HWND mainWindow);
