#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <set>
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

// The key that shows a column's strokes.
const KeyCap* FindKey(const char* column)
{
    for (const KeyCap& key : KeyboardKeys()) {
        if (key.values[0] == KeyIndexOf(column) || key.values[1] == KeyIndexOf(column))
            return &key;
    }
    return nullptr;
}

// The data file binds each field to a key by its virtual-key code; the
// history's key index is the field's place without the five clock fields.
// Every other value lies on the key of its code too, a stroke made with Shift
// on its plain key; no two keys send one code, which polling could not part.
TEST(KeyGeometry, EveryValueIsOnTheKeyOfItsCode)
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
    std::set<int> codes;
    for (const KeyCap& key : KeyboardKeys()) {
        int code = key.IsCounted() ? KeyTable[key.values[0]].virtualKey : 0;
        EXPECT_TRUE(code == 0 || codes.insert(code).second) << key.legend;
        for (int slot = 0; slot < 2; ++slot) {
            int index = key.values[slot];
            if (index == NoKeyIndex)
                continue;
            ASSERT_GE(index, 0);
            ASSERT_LT(index, KeyMapValueCount);
            ++shown[index];
            EXPECT_EQ(KeyTable[index].virtualKey, code) << key.legend << " shows value " << index;
            EXPECT_EQ(KeyTable[index].shiftOf == key.values[0], slot == 1 && !key.letter) << key.legend;
            if (index >= DataFileKeyCount)
                continue;
            int field = index < 52 ? index : index + 5;   // skip seconds to strokes per hour
            auto bound = keyOfField.at(fields[field]);
            EXPECT_EQ(bound.first, code) << key.legend << " shows value " << index;
            EXPECT_EQ(bound.second, slot == 1 && key.letter) << key.legend << " shows value " << index;
        }
    }
    for (int index = 0; index < KeyMapValueCount; ++index)
        EXPECT_EQ(shown[index], 1) << KeyTable[index].column;
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

TEST(KeyGeometry, NoTwoKeysOverlapAndAllLieOnTheBoard)
{
    auto keys = KeyboardKeys();
    ASSERT_EQ(keys.size(), static_cast<size_t>(KeyboardKeyCount));
    for (size_t i = 0; i < keys.size(); ++i) {
        for (const QuarterRect& part : Parts(keys[i])) {
            EXPECT_GT(part.width, 0) << keys[i].legend;
            EXPECT_EQ(part.height % QuartersPerUnit, 0) << keys[i].legend;   // the keypad's + and Enter: two rows
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
                if (part.y == MainBlockTop + row * QuartersPerUnit && part.Right() <= MainBlockWidth)
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

TEST(KeyGeometry, KeysOfTheirOwnPlaceAndSize)
{
    struct Case {
        const char* column;   // of the strokes the key shows
        int x, y, width, height;   // quarters
    } cases[] = {
        {"escape", 0, 0, 4, 4},   {"f1", 8, 0, 4, 4},        // a unit's gap after Esc
        {"f5", 26, 0, 4, 4},      {"f12", 56, 0, 4, 4},      // half a unit between fours
        {"printscreen", 62, 0, 4, 4}, {"backspace", 56, 6, 4, 4}, {"tab", 0, 10, 6, 4}, {"eisu", 0, 14, 7, 4},
        {"shift", 0, 18, 9, 4},   {"backslash", 49, 18, 4, 4}, {"rightshift", 53, 18, 7, 4},
        {"space", 18, 22, 15, 4}, {"rightwin", 47, 22, 4, 4}, {"insert", 62, 6, 4, 4}, {"pagedown", 70, 10, 4, 4},
        {"up", 66, 18, 4, 4},     {"left", 62, 22, 4, 4},    // the arrows under the editing keys
        {"numlock", 76, 6, 4, 4}, {"numplus", 88, 10, 4, 8}, {"num0", 76, 22, 8, 4},
    };
    for (const Case& c : cases) {
        const KeyCap* key = FindKey(c.column);
        ASSERT_NE(key, nullptr) << c.column;
        EXPECT_EQ(key->face.x, c.x) << c.column;
        EXPECT_EQ(key->face.y, c.y) << c.column;
        EXPECT_EQ(key->face.width, c.width) << c.column;
        EXPECT_EQ(key->face.height, c.height) << c.column;
    }
    // Only the keypad's Enter, two rows high, shows no strokes of its own.
    auto keys = KeyboardKeys();
    auto uncounted = std::find_if(keys.begin(), keys.end(), [](const KeyCap& key) { return !key.IsCounted(); });
    ASSERT_NE(uncounted, keys.end());
    EXPECT_EQ(uncounted->face.x, 88);
    EXPECT_EQ(uncounted->face.height, 8);
    EXPECT_EQ(std::count_if(keys.begin(), keys.end(), [](const KeyCap& key) { return !key.IsCounted(); }), 1);
    uint64_t untouched = 99;
    EXPECT_FALSE(KeyValue(*uncounted, KeyCounts{}, MapMode::AllStrokes, untouched));
    EXPECT_EQ(untouched, 99u);
}

TEST(KeyGeometry, EnterIsAnInvertedL)
{
    const KeyCap* enter = FindKey("enter");
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

TEST(KeyGeometry, TheModeChoosesAKeysValue)
{
    KeyCounts counts{};
    counts[KeyIndexOf("e")] = 30;
    counts[KeyIndexOf("E")] = 12;
    counts[KeyIndexOf("7")] = 35;
    counts[KeyIndexOf("shift7")] = 9;
    counts[KeyIndexOf("space")] = 40;
    struct Case {
        MapMode mode;
        uint64_t letter, digit, highest;
    } cases[] = {
        {MapMode::Lowercase, 30, 35, 40},   // a digit's strokes without Shift; Space outruns both
        {MapMode::Uppercase, 12, 35, 40},
        {MapMode::Both, 42, 35, 42},        // the letter now outruns Space
        {MapMode::AllStrokes, 42, 44, 44},  // and 7 with and without Shift outruns them
    };
    for (const Case& c : cases) {
        uint64_t value = 0;
        ASSERT_TRUE(KeyValue(*FindKey("e"), counts, c.mode, value));
        EXPECT_EQ(value, c.letter);
        ASSERT_TRUE(KeyValue(*FindKey("7"), counts, c.mode, value));
        EXPECT_EQ(value, c.digit);
        ASSERT_TRUE(KeyValue(*FindKey("space"), counts, c.mode, value));
        EXPECT_EQ(value, 40u) << "a key of one value has it in every mode";
        EXPECT_EQ(HighestKeyValue(counts, c.mode), c.highest);
    }

    counts[KeyIndexOf("shift7")] = std::numeric_limits<uint64_t>::max() - 1;
    EXPECT_EQ(HighestKeyValue(counts, MapMode::AllStrokes), std::numeric_limits<uint64_t>::max()) << "saturates";
}

} // namespace
