#pragma once
// Where the count pages and the summary panel draw their figures, in dialog
// units of their own templates, so that the figures stay beside their labels
// whatever font and resolution the dialogs are laid out with. The Windows side
// maps these to pixels (MapDialogRect) and from there to main-window pixels
// for the rectangles that the polling thread and the clock invalidate.
//
// A figure's anchor is its right end and the top of the label beside it: the
// figure is drawn on that label's baseline, whatever the two fonts' heights.
// With the template fonts at 96 dpi (2.2 x 2 pixels per unit on a page,
// 1.75 x 1.625 on the summary panel) the right ends fall near the pixel
// positions the pages were first drawn at, x = 80 + 110c on a page (a few
// pixels further right, so that long counts keep clear of their labels) and
// x = 80, 125, 157, 300, 440 on the panel.

struct UnitPoint {
    int x = 0, y = 0;
};

struct UnitRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The label of a slot (left, top) as the page templates place it: slot n lies
// in column n / 7 and row n % 7.
UnitPoint SlotLabelOrigin(int slot);

// The right end of a slot's count text, and the top of the slot's label.
UnitPoint SlotTextAnchor(int slot);

// The band a slot's count text may occupy, from the left of its label to its
// anchor, at the label's top; the caller puts it on the figure's line, a line
// of the count font high.
UnitRect SlotTextBand(int slot);

enum SummaryFigure { FigureHours, FigureMinutes, FigureSeconds, FigureTotal, FigureRate, SummaryFigureCount };

// The right end of a summary figure, just left of its unit label, and that
// label's top.
UnitPoint SummaryAnchor(SummaryFigure figure);

// The band a summary figure may occupy: from its group box's left edge or the
// unit label before it, to its anchor.
UnitRect SummaryBand(SummaryFigure figure);
