#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "stats/dialog_template.h"

namespace {

// An extended template's header, with DS_SETFONT or not, then what follows.
std::vector<uint16_t> Extended(bool setFont, std::vector<uint16_t> rest)
{
    uint16_t style = setFont ? 0x40 : 0;
    std::vector<uint16_t> words = {1, 0xFFFF, 0, 0, 0, 0, style, 0x4000, 3, 0, 0, 9, 9};
    words.insert(words.end(), rest.begin(), rest.end());
    return words;
}

TEST(DialogTemplate, PointSizeIsFoundAfterMenuClassAndTitleOrNotAtAll)
{
    struct Case {
        std::vector<uint16_t> words;
        std::optional<size_t> at;
    } cases[] = {
        {Extended(true, {0, 0, 0, 9}), 16},                      // no menu, class or title
        {Extended(true, {0xFFFF, 101, 'm', 0, 'K', 0, 10}), 19},  // a menu by number, a class and a title
        {Extended(false, {0, 0, 0, 9}), std::nullopt},           // no font of its own
        {Extended(true, {0, 0, 'K', 'v'}), std::nullopt},        // cut short in the title
        {Extended(true, {0xFFFF}), std::nullopt},                // cut short in the menu's number
        {{0x00C0, 0x5000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9}, std::nullopt},   // the older form
    };
    for (const Case& c : cases)
        EXPECT_EQ(TemplatePointSizeAt(c.words.data(), c.words.size()), c.at);
}

} // namespace
