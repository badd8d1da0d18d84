#pragma once
// The colour scale of the key map: pale cream at 0 through orange to a deep
// red at the highest count, interpolated in OKLab so that equal steps of the
// count look like equal steps of colour, and with a text colour for each fill.
#include <cstdint>

struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

// The colour at a fraction of the scale (clamped to 0..1). Its lightness
// falls strictly as the fraction rises, and equal steps of the fraction are
// equal distances in OKLab.
Rgb HeatColourAt(double fraction);

// The colour of a value on a scale that ends at highest; every value is
// pale when highest is 0.
Rgb HeatColour(uint64_t value, uint64_t highest);

// Black or white, whichever stands out more from the fill: at least 4.5:1
// anywhere on the scale.
Rgb HeatTextColour(Rgb fill);

// The contrast ratio of two colours as the web's accessibility guidelines
// define it, 1 to 21.
double ContrastRatio(Rgb a, Rgb b);

// OKLab's perceived lightness, 0 (black) to 1 (white).
double OkLightness(Rgb colour);

// The distance of two colours in OKLab: how different they look.
double OkLabDistance(Rgb a, Rgb b);
