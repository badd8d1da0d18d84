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
        int row = slot % 7;
        EXPECT_NEAR(ToPixels(anchor.x, 2.2), 80 + 110 * column, 2) << "slot " << slot;
        EXPECT_NEAR(ToPixels(anchor.y, 2.0), 34 + 40 * row, 2) << "slot " << slot;
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
    } cases[] = {
        {FigureHours, 80, 46}, {FigureMinutes, 125, 72}, {FigureSeconds, 157, 91},
        {FigureTotal, 300, 173}, {FigureRate, 440, 253},
    };
    for (const Case& c : cases) {
        UnitPoint anchor = SummaryAnchor(c.figure);
        EXPECT_NEAR(ToPixels(anchor.x, 1.75), c.pixelX, 2);
        EXPECT_NEAR(ToPixels(anchor.y, 1.625), 33, 1);
        EXPECT_LT(anchor.x, c.unitLabelX);
        EXPECT_LT(SummaryBand(c.figure).left, anchor.x);
    }
}

} // namespace
