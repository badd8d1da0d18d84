#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "stats/dialog_template.h"

namespace {

// An extended template's header (style in words 6 and 7), then what follows.
std::vector<uint16_t> Extended(uint32_t style, std::vector<uint16_t> rest)
{
    std::vector<uint16_t> words = {1, 0xFFFF, 0, 0, 0, 0, static_cast<uint16_t>(style),
                                   static_cast<uint16_t>(style >> 16), 3, 0, 0, 202, 161};
    words.insert(words.end(), rest.begin(), rest.end());
    return words;
}

constexpr uint32_t SetFont = 0x40;
constexpr uint32_t Child = 0x40000000;

TEST(DialogTemplate, PointSizeIsFoundAfterMenuClassAndTitle)
{
    struct Case {
        std::vector<uint16_t> words;
        std::optional<size_t> at;
        const char* what;
    } cases[] = {
        {Extended(Child | SetFont, {0, 0, 0, 9, 400, 0, 'M', 0}), 16, "no menu, no class, no title"},
        {Extended(Child | SetFont, {0xFFFF, 101, 0, 'K', 'v', 0, 10}), 19, "a menu by number and a title"},
        {Extended(Child | SetFont, {'m', 0, 0xFFFF, 0x82, 0, 12}), 18, "a menu by name and a class by number"},
        {Extended(Child, {0, 0, 0, 9}), std::nullopt, "no font of its own"},
        {Extended(Child | SetFont, {0, 0, 'K', 'v'}), std::nullopt, "a title cut short"},
        {Extended(Child | SetFont, {0, 0, 0}), std::nullopt, "cut short before the point size"},
        {Extended(Child | SetFont, {0xFFFF}), std::nullopt, "cut short in the menu's number"},
        {{0x00C0, 0x5000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9}, std::nullopt, "the older form"},
        {{1, 0xFFFF, 0}, std::nullopt, "shorter than a header"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TemplatePointSizeAt(c.words.data(), c.words.size()), c.at) << c.what;
}

TEST(DialogTemplate, ScaledPointSizeIsTheNearestWholePoint)
{
    struct Case {
        int points;
        unsigned wanted, assumed;
        int scaled;
    } cases[] = {
        {10, 144, 96, 15},   // 150 %
        {9, 144, 96, 14},    // 13.5 rounds up
        {12, 96, 144, 8},    // back from 150 %
        {9, 120, 96, 11},    // 11.25
        {12, 96, 96, 12},    // the same scale
        {10, 144, 0, 10},    // no scale known: as it is
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScaledPointSize(c.points, c.wanted, c.assumed), c.scaled) << c.points << " pt";
}

} // namespace
