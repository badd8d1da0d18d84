#include <gtest/gtest.h>

#include <cstdint>

#include "paint/heat_scale.h"

namespace {

constexpr Rgb Black{0, 0, 0}, White{255, 255, 255};

bool IsPale(Rgb c) { return c.red > 230 && c.green > 220 && c.blue > 180; }
bool IsDeepWarm(Rgb c) { return c.red > 120 && c.red > 3 * c.green && c.red > 3 * c.blue && OkLightness(c) < 0.55; }

TEST(HeatScale, RunsFromPaleAtZeroToDeepWarmAtTheHighestCount)
{
    struct Case {
        uint64_t value, highest;
        bool pale;   // else deep and warm
    } cases[] = {
        {0, 500, true},
        {500, 500, false},
        {900, 500, false},                        // above the top stays at the top
        {0, 0, true},                              // nothing counted: no division by zero
        {UINT64_MAX, UINT64_MAX, false},
        {1, UINT64_MAX, true},
    };
    for (const Case& c : cases) {
        Rgb colour = HeatColour(c.value, c.highest);
        EXPECT_EQ(c.pale ? IsPale(colour) : IsDeepWarm(colour), true)
            << c.value << " of " << c.highest << ": " << int(colour.red) << "," << int(colour.green) << ","
            << int(colour.blue);
    }
    EXPECT_EQ(HeatColourAt(-1), HeatColourAt(0));
    EXPECT_EQ(HeatColourAt(2), HeatColourAt(1));
}

TEST(HeatScale, LightnessFallsStrictlyWithTheCount)
{
    constexpr int Steps = 64;
    double previous = OkLightness(HeatColourAt(0));
    for (int step = 1; step <= Steps; ++step) {
        double lightness = OkLightness(HeatColourAt(static_cast<double>(step) / Steps));
        EXPECT_LT(lightness, previous) << "step " << step;
        previous = lightness;
    }
    for (uint64_t value = 1; value <= 40; ++value)
        EXPECT_LT(OkLightness(HeatColour(value, 40)), OkLightness(HeatColour(value - 1, 40))) << value;
}

// Equal steps of the count look equally far apart: the same distance in
// OKLab, give or take the rounding to 8-bit channels.
TEST(HeatScale, EqualStepsOfTheCountAreEqualStepsOfColour)
{
    constexpr int Steps = 20;
    double whole = OkLabDistance(HeatColourAt(0), HeatColourAt(1));
    double path = 0;
    for (int step = 0; step < Steps; ++step) {
        double distance = OkLabDistance(HeatColourAt(static_cast<double>(step) / Steps),
                                        HeatColourAt(static_cast<double>(step + 1) / Steps));
        path += distance;
        EXPECT_GT(distance, 0);
        if (step > 0) {
            EXPECT_NEAR(distance, path / (step + 1), 0.004) << "step " << step;
        }
    }
    EXPECT_GT(path, whole) << "the scale bends through orange rather than a straight cream-to-red line";
}

TEST(HeatScale, TextIsDarkOnPaleAndLightOnDeepAndAlwaysLegible)
{
    EXPECT_EQ(HeatTextColour(HeatColourAt(0)), Black);
    EXPECT_EQ(HeatTextColour(HeatColourAt(1)), White);
    for (int step = 0; step <= 1000; ++step) {
        Rgb fill = HeatColourAt(step / 1000.0);
        EXPECT_GE(ContrastRatio(fill, HeatTextColour(fill)), 4.5) << "at " << step / 1000.0;
    }
}

TEST(HeatScale, ContrastRatioMatchesTheGuidelinesFormula)
{
    EXPECT_DOUBLE_EQ(ContrastRatio(Black, White), 21.0);
    EXPECT_DOUBLE_EQ(ContrastRatio(White, Black), 21.0);
    EXPECT_DOUBLE_EQ(ContrastRatio(White, White), 1.0);
    EXPECT_NEAR(ContrastRatio(White, Rgb{0x76, 0x76, 0x76}), 4.54, 0.01);   // the well-known AA grey
}

} // namespace
