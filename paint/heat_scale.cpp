#include "paint/heat_scale.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

struct Lab {
    double l, a, b;
};

double ToLinear(uint8_t channel)
{
    double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

uint8_t FromLinear(double c)
{
    double v = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

// OKLab from sRGB, with its published matrices.
Lab ToLab(Rgb colour)
{
    double r = ToLinear(colour.red), g = ToLinear(colour.green), b = ToLinear(colour.blue);
    double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
    double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
    double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
    return {0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s,
            1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
            0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s};
}

Rgb FromLab(Lab lab)
{
    double l = lab.l + 0.3963377774 * lab.a + 0.2158037573 * lab.b;
    double m = lab.l - 0.1055613458 * lab.a - 0.0638541728 * lab.b;
    double s = lab.l - 0.0894841775 * lab.a - 1.2914855480 * lab.b;
    l = l * l * l;
    m = m * m * m;
    s = s * s * s;
    return {FromLinear(4.0767416621 * l - 3.3077115913 * m + 0.2309699292 * s),
            FromLinear(-1.2684380046 * l + 2.6097574011 * m - 0.3413193965 * s),
            FromLinear(-0.0041960863 * l - 0.7034186147 * m + 1.7076147010 * s)};
}

// Cream, orange, deep red: each darker than the one before, so that the
// lightness, linear along each stretch, falls along the whole scale.
constexpr Rgb Stops[] = {{0xFD, 0xF1, 0xD2}, {0xF3, 0x9C, 0x42}, {0x9E, 0x1B, 0x1B}};
constexpr int StopCount = static_cast<int>(std::size(Stops));

double Distance(const Lab& a, const Lab& b)
{
    return std::sqrt((a.l - b.l) * (a.l - b.l) + (a.a - b.a) * (a.a - b.a) + (a.b - b.b) * (a.b - b.b));
}

// The stops in OKLab, each placed on the scale by its distance along the
// path, so that equal steps of the count are equal steps of colour.
struct Path {
    Lab stop[StopCount];
    double at[StopCount];

    Path()
    {
        for (int i = 0; i < StopCount; ++i)
            stop[i] = ToLab(Stops[i]);
        at[0] = 0;
        for (int i = 1; i < StopCount; ++i)
            at[i] = at[i - 1] + Distance(stop[i - 1], stop[i]);
        for (int i = 1; i < StopCount; ++i)
            at[i] /= at[StopCount - 1];
    }
};

double RelativeLuminance(Rgb colour)
{
    return 0.2126 * ToLinear(colour.red) + 0.7152 * ToLinear(colour.green) + 0.0722 * ToLinear(colour.blue);
}

} // namespace

Rgb HeatColourAt(double fraction)
{
    static const Path path;
    double at = std::clamp(std::isnan(fraction) ? 0.0 : fraction, 0.0, 1.0);
    int stretch = 0;
    while (stretch < StopCount - 2 && at > path.at[stretch + 1])
        ++stretch;
    double t = (at - path.at[stretch]) / (path.at[stretch + 1] - path.at[stretch]);
    const Lab& from = path.stop[stretch];
    const Lab& to = path.stop[stretch + 1];
    return FromLab({from.l + (to.l - from.l) * t, from.a + (to.a - from.a) * t, from.b + (to.b - from.b) * t});
}

Rgb HeatColour(uint64_t value, uint64_t highest)
{
    if (highest == 0)
        return HeatColourAt(0);
    return HeatColourAt(static_cast<double>(std::min(value, highest)) / static_cast<double>(highest));
}

double ContrastRatio(Rgb a, Rgb b)
{
    double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb HeatTextColour(Rgb fill)
{
    constexpr Rgb Black{0, 0, 0}, White{255, 255, 255};
    return ContrastRatio(fill, Black) >= ContrastRatio(fill, White) ? Black : White;
}

double OkLightness(Rgb colour) { return ToLab(colour).l; }

double OkLabDistance(Rgb a, Rgb b) { return Distance(ToLab(a), ToLab(b)); }
