#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "keymap/key_geometry.h"
#include "keymap/map_period.h"
#include "store/user_record.h"

namespace {

std::vector<QuarterRect> Parts(const KeyCap& key)
{
    std::vector<QuarterRect> parts = {key.face};
    if (key.lowerPart.width != 0)
        parts.push_back(key.lowerPart);
    return parts;
}

bool Overlap(const QuarterRect& a, const QuarterRect& b)
{
    return a.x < b.Right() && b.x < a.Right() && a.y < b.Bottom() && b.y < a.Bottom();
}

const KeyCap* FindKey(const char* legend, int row)
{
    for (const KeyCap& key : KeyboardKeys()) {
        if (std::strcmp(key.legend, legend) == 0 && key.Row() == row)
            return &key;
    }
    return nullptr;
}

// The data file binds each field to a key by its virtual-key code; the
// history's key index is the field's place without the five clock fields.
TEST(KeyGeometry, EveryCountedValueIsOnTheKeyTheDataFileBindsItTo)
{
    CounterTable table;
    auto fields = StoredFields(table);
    std::map<const CountedValue*, std::pair<int, bool>> keyOfField;   // virtual key, uppercase
    for (const KeyCounter& key : table.LowercaseGroup.keys)
        keyOfField[&key.count] = {key.virtualKey, false};
    for (const KeyCounter& key : table.UppercaseGroup.keys)
        keyOfField[&key.count] = {key.virtualKey, true};
    for (const KeyCounter& key : table.DigitSymbolGroup.keys)
        keyOfField[&key.count] = {key.virtualKey, false};

    std::vector<int> shown(KeyMapValueCount, 0);
    for (const KeyCap& key : KeyboardKeys()) {
        for (int slot = 0; slot < 2; ++slot) {
            int index = key.values[slot];
            if (index == NoKeyIndex)
                continue;
            ASSERT_GE(index, 0);
            ASSERT_LT(index, KeyMapValueCount);
            ++shown[index];
            int field = index < 52 ? index : index + 5;   // skip seconds to strokes per hour
            auto bound = keyOfField.at(fields[field]);
            EXPECT_EQ(bound.first, key.virtualKey) << key.legend << " shows value " << index;
            EXPECT_EQ(bound.second, slot == 1) << key.legend << " shows value " << index;
        }
    }
    for (int index = 0; index < DataFileKeyCount; ++index)
        EXPECT_EQ(shown[index], 1) << "value " << index;
}

TEST(KeyGeometry, KeyCountsAreTheDataFilesKeyFields)
{
    StoredValues values{};
    for (int field = 1; field <= StoredValueCount; ++field)
        values[field - 1] = field * 10;
    values[0] = -5;
    KeyCounts counts = KeyCountsOfPeriod(MapPeriod::All, SnapshotOf(values), HistoryPeriods{});
    struct Case {
        int index;
        uint64_t value;
    } cases[] = {
        {KeyIndexOf("a"), 0},        // a negative field counts as none
        {KeyIndexOf("Z"), 520},      // field 52
        {KeyIndexOf("0"), 580},      // field 58: after seconds to strokes per hour
        {KeyIndexOf("caret"), 820},  // the last field
    };
    for (const Case& c : cases)
        EXPECT_EQ(counts[c.index], c.value) << "index " << c.index;
}

TEST(KeyGeometry, NamedKeysShowTheirValues)
{
    struct Case {
        const char* legend;
        int row;
        int first, second;
    } cases[] = {
        {"Q", 1, 16, 42},                             // letters: lowercase, uppercase
        {"1", 0, 53, NoKeyIndex},                     // digit row starts at 1
        {"0", 0, 52, NoKeyIndex},
        {"→", 4, KeyIndexOf("right"), NoKeyIndex},
        {"↑", 3, KeyIndexOf("up"), NoKeyIndex},
        {":", 2, KeyIndexOf("colon"), NoKeyIndex},       // VK_OEM_1 is the colon key on JIS
        {";", 2, KeyIndexOf("semicolon"), NoKeyIndex},   // VK_OEM_PLUS the semicolon key
        {"^", 0, KeyIndexOf("caret"), NoKeyIndex},
        {"￥", 0, KeyIndexOf("yen"), NoKeyIndex},
        {"＼", 3, NoKeyIndex, NoKeyIndex},            // the ro key is not counted
        {"BS", 0, NoKeyIndex, NoKeyIndex},
    };
    for (const Case& c : cases) {
        const KeyCap* key = FindKey(c.legend, c.row);
        ASSERT_NE(key, nullptr) << c.legend;
        EXPECT_EQ(key->values[0], c.first) << c.legend;
        EXPECT_EQ(key->values[1], c.second) << c.legend;
        EXPECT_EQ(key->virtualKey != 0, key->IsCounted()) << c.legend;
    }
}

TEST(KeyGeometry, NoTwoKeysOverlapAndAllLieOnTheBoard)
{
    auto keys = KeyboardKeys();
    ASSERT_EQ(keys.size(), static_cast<size_t>(KeyboardKeyCount));
    for (size_t i = 0; i < keys.size(); ++i) {
        for (const QuarterRect& part : Parts(keys[i])) {
            EXPECT_GT(part.width, 0) << keys[i].legend;
            EXPECT_EQ(part.height, QuartersPerUnit) << keys[i].legend;
            EXPECT_GE(part.x, 0);
            EXPECT_LE(part.Right(), KeyboardWidth) << keys[i].legend;
            EXPECT_GE(part.y, 0);
            EXPECT_LE(part.Bottom(), KeyboardHeight) << keys[i].legend;
        }
        for (size_t j = i + 1; j < keys.size(); ++j) {
            for (const QuarterRect& a : Parts(keys[i])) {
                for (const QuarterRect& b : Parts(keys[j]))
                    EXPECT_FALSE(Overlap(a, b)) << keys[i].legend << " and " << keys[j].legend;
            }
        }
    }
}

// Row by row, left to right; each row of the main block fills 15 units
// without a gap, Enter's lower part filling the end of the home row.
TEST(KeyGeometry, RowsRunInOrderAndFillTheMainBlock)
{
    auto keys = KeyboardKeys();
    for (size_t i = 1; i < keys.size(); ++i) {
        const QuarterRect& a = keys[i - 1].face;
        const QuarterRect& b = keys[i].face;
        EXPECT_TRUE(a.y < b.y || (a.y == b.y && a.Right() <= b.x)) << keys[i - 1].legend << " then " << keys[i].legend;
    }
    for (int row = 0; row < 5; ++row) {
        std::vector<QuarterRect> parts;
        for (const KeyCap& key : keys) {
            for (const QuarterRect& part : Parts(key)) {
                if (part.y == row * QuartersPerUnit && part.Right() <= MainBlockWidth)
                    parts.push_back(part);
            }
        }
        std::sort(parts.begin(), parts.end(), [](const QuarterRect& a, const QuarterRect& b) { return a.x < b.x; });
        int x = 0;
        for (const QuarterRect& part : parts) {
            EXPECT_EQ(part.x, x) << "row " << row;
            x = part.Right();
        }
        EXPECT_EQ(x, MainBlockWidth) << "row " << row;
    }
}

TEST(KeyGeometry, KeysOfTheirOwnSize)
{
    struct Case {
        const char* legend;
        int row;
        int x, width;   // quarters
    } cases[] = {
        {"半/全", 0, 0, 4},    {"BS", 0, 56, 4},
        {"Tab", 1, 0, 6},      {"Q", 1, 6, 4},
        {"英数", 2, 0, 7},     {"A", 2, 7, 4},
        {"Shift", 3, 0, 9},    {"Z", 3, 9, 4},    {"＼", 3, 49, 4},   {"Shift", 3, 53, 7},
        {"Ctrl", 4, 0, 5},     {"無変換", 4, 15, 5}, {"スペース", 4, 20, 15}, {"かな", 4, 40, 5},
        // The arrows, half a unit right of the main block: up above down.
        {"↑", 3, 66, 4},       {"←", 4, 62, 4},   {"↓", 4, 66, 4},     {"→", 4, 70, 4},
    };
    for (const Case& c : cases) {
        const KeyCap* key = nullptr;
        for (const KeyCap& candidate : KeyboardKeys()) {
            if (std::strcmp(candidate.legend, c.legend) == 0 && candidate.Row() == c.row && candidate.face.x == c.x)
                key = &candidate;
        }
        ASSERT_NE(key, nullptr) << c.legend << " at " << c.x;
        EXPECT_EQ(key->face.width, c.width) << c.legend;
    }
}

TEST(KeyGeometry, EnterIsAnInvertedL)
{
    const KeyCap* enter = FindKey("Enter", 1);
    ASSERT_NE(enter, nullptr);
    EXPECT_EQ(enter->face.x, 54);
    EXPECT_EQ(enter->face.width, 6);                  // 1.5 units on the Q row
    EXPECT_EQ(enter->lowerPart.y, enter->face.Bottom());
    EXPECT_EQ(enter->lowerPart.width, 5);              // 1.25 units on the A row
    EXPECT_EQ(enter->lowerPart.Right(), enter->face.Right());
    int others = 0;
    for (const KeyCap& key : KeyboardKeys())
        others += key.lowerPart.width != 0;
    EXPECT_EQ(others, 1);
}

TEST(KeyGeometry, LetterModeChoosesALettersValue)
{
    KeyCounts counts{};
    counts[KeyIndexOf("e")] = 30;
    counts[KeyIndexOf("E")] = 12;
    counts[KeyIndexOf("7")] = 35;
    const KeyCap* e = FindKey("E", 1);
    const KeyCap* seven = FindKey("7", 0);
    ASSERT_NE(e, nullptr);
    ASSERT_NE(seven, nullptr);
    struct Case {
        LetterMode mode;
        uint64_t letter, highest;
    } cases[] = {
        {LetterMode::Lowercase, 30, 35},
        {LetterMode::Uppercase, 12, 35},
        {LetterMode::Both, 42, 42},     // the letter now outruns the digit
    };
    for (const Case& c : cases) {
        uint64_t value = 0;
        ASSERT_TRUE(KeyValue(*e, counts, c.mode, value));
        EXPECT_EQ(value, c.letter);
        ASSERT_TRUE(KeyValue(*seven, counts, c.mode, value));
        EXPECT_EQ(value, 35u) << "a digit has one value in every mode";
        EXPECT_EQ(HighestKeyValue(counts, c.mode), c.highest);
    }
    uint64_t untouched = 99;
    EXPECT_FALSE(KeyValue(*FindKey("Tab", 1), counts, LetterMode::Both, untouched));
    EXPECT_EQ(untouched, 99u);

    counts[KeyIndexOf("e")] = std::numeric_limits<uint64_t>::max() - 1;
    EXPECT_EQ(HighestKeyValue(counts, LetterMode::Both), std::numeric_limits<uint64_t>::max()) << "saturates";
}

} // namespace
