#include <gtest/gtest.h>

#include <cmath>

#include "stats/layout.h"

namespace {

// Dialog units to pixels as MapDialogRect does it, for the fonts the
// templates were drawn with at 96 dpi.
int ToPixels(int units, double pixelsPerUnit) { return static_cast<int>(std::lround(units * pixelsPerUnit)); }

TEST(Layout, PageAnchorsFallWhereThePagesWereFirstDrawn)
{
    for (int slot = 0; slot < 26; ++slot) {
        UnitPoint anchor = SlotTextAnchor(slot);
        int column = slot / 7;
        UnitPoint label = SlotLabelOrigin(slot);
        // Nine pixels right of where the pages were first drawn, still well
        // before the next column's label.
        EXPECT_NEAR(ToPixels(anchor.x, 2.2), 80 + 110 * column + 9, 2) << "slot " << slot;
        EXPECT_GE(SlotLabelOrigin(slot + 7).x - anchor.x, 15) << "slot " << slot;
        // Seven digits of 7 pixels (the count font at 96 dpi) clear the
        // label's box at 2 pixels a unit, the narrowest units of the fonts.
        EXPECT_GE(anchor.x * 2 - 7 * 7, (label.x + 8) * 2 + 2) << "slot " << slot;
        EXPECT_EQ(anchor.y, label.y) << "on the label's line";
        UnitRect band = SlotTextBand(slot);
        EXPECT_EQ(band.left, SlotLabelOrigin(slot).x) << "the band starts at the label";
        EXPECT_EQ(band.right, anchor.x);
    }
}

TEST(Layout, SummaryFiguresEndJustLeftOfTheirUnitLabels)
{
    struct Case {
        SummaryFigure figure;
        int pixelX;        // where the panel was first drawn
        int unitLabelX;    // the unit label's left edge, dialog units
        int unitLabelY;    // and its top: the figure stands on its line
    } cases[] = {
        {FigureHours, 80, 46, 20}, {FigureMinutes, 125, 72, 20}, {FigureSeconds, 157, 91, 20},
        {FigureTotal, 300, 173, 22}, {FigureRate, 440, 253, 22},
    };
    for (const Case& c : cases) {
        UnitPoint anchor = SummaryAnchor(c.figure);
        EXPECT_NEAR(ToPixels(anchor.x, 1.75), c.pixelX, 2);
        EXPECT_EQ(anchor.y, c.unitLabelY);
        EXPECT_EQ(SummaryBand(c.figure).top, c.unitLabelY);
        EXPECT_LT(anchor.x, c.unitLabelX);
        EXPECT_LT(SummaryBand(c.figure).left, anchor.x);
    }
}

} // namespace
