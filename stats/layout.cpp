#include "stats/layout.h"

namespace {

constexpr int SlotsPerColumn = 7;

struct SummaryGeometry {
    int bandLeft;   // group box edge, or the end of the unit label before
    int anchorX;    // one unit left of the figure's own unit label
    int labelTop;   // that label's top
};

// Unit labels: "時間" at (46, 20), "分" at (72, 20) (8 wide), "秒" at (91, 20),
// "打" at (173, 22), "打/h" at (253, 22); group boxes at 7, 115 and 197.
constexpr SummaryGeometry Summary[SummaryFigureCount] = {
    {9, 45, 20},     // hours
    {62, 71, 20},    // minutes
    {80, 90, 20},    // seconds
    {117, 171, 22},  // total strokes
    {199, 252, 22},  // strokes per hour
};

int SlotColumn(int slot) { return slot / SlotsPerColumn; }
int SlotRow(int slot) { return slot % SlotsPerColumn; }

} // namespace

UnitPoint SlotLabelOrigin(int slot)
{
    return {5 + 50 * SlotColumn(slot), 15 + 20 * SlotRow(slot)};
}

// Labels are 8 units wide from 5 + 50c, the next column's begin at 55 + 50c:
// a figure ending at 40 + 50c keeps seven digits (eight with the fonts of
// most systems) clear of its label.
UnitPoint SlotTextAnchor(int slot)
{
    return {40 + 50 * SlotColumn(slot), SlotLabelOrigin(slot).y};
}

UnitRect SlotTextBand(int slot)
{
    UnitPoint label = SlotLabelOrigin(slot);
    UnitPoint anchor = SlotTextAnchor(slot);
    return {label.x, anchor.y, anchor.x, anchor.y};
}

UnitPoint SummaryAnchor(SummaryFigure figure)
{
    return {Summary[figure].anchorX, Summary[figure].labelTop};
}

UnitRect SummaryBand(SummaryFigure figure)
{
    const SummaryGeometry& place = Summary[figure];
    return {place.bandLeft, place.labelTop, place.anchorX, place.labelTop};
}
