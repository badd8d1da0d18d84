#include "stats/layout.h"

namespace {

constexpr int SlotsPerColumn = 7;

struct SummaryGeometry {
    int bandLeft;   // group box edge, or the end of the unit label before
    int anchorX;    // one unit left of the figure's own unit label
};

// Unit labels: "時間" at 46, "分" at 72 (8 wide), "秒" at 91, "打" at 173,
// "打/h" at 253; group boxes at 7, 115 and 197.
constexpr SummaryGeometry Summary[SummaryFigureCount] = {
    {9, 45},     // hours
    {62, 71},    // minutes
    {80, 90},    // seconds
    {117, 171},  // total strokes
    {199, 252},  // strokes per hour
};
constexpr int SummaryTop = 20;

int SlotColumn(int slot) { return slot / SlotsPerColumn; }
int SlotRow(int slot) { return slot % SlotsPerColumn; }

} // namespace

UnitPoint SlotLabelOrigin(int slot)
{
    return {5 + 50 * SlotColumn(slot), 15 + 20 * SlotRow(slot)};
}

UnitPoint SlotTextAnchor(int slot)
{
    return {36 + 50 * SlotColumn(slot), 17 + 20 * SlotRow(slot)};
}

UnitRect SlotTextBand(int slot)
{
    UnitPoint label = SlotLabelOrigin(slot);
    UnitPoint anchor = SlotTextAnchor(slot);
    return {label.x, anchor.y, anchor.x, anchor.y};
}

UnitPoint SummaryAnchor(SummaryFigure figure)
{
    return {Summary[figure].anchorX, SummaryTop};
}

UnitRect SummaryBand(SummaryFigure figure)
{
    return {Summary[figure].bandLeft, SummaryTop, Summary[figure].anchorX, SummaryTop};
}
