#include <gtest/gtest.h>

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

bool Inside(const QuarterRect& inner, const QuarterRect& outer)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.Right() <= outer.Right() &&
           inner.Bottom() <= outer.Bottom();
}

// The key that shows a column's strokes.
const KeyCap* KeyShowing(const char* column)
{
    int index = KeyIndexOf(column);
    for (const KeyCap& key : KeyboardKeys()) {
        if (key.values[0] == index || key.values[1] == index)
            return &key;
    }
    return nullptr;
}

// Each value of the table lies on one key: a letter's cases together, a
// stroke made with Shift on its plain key, and the data file's fields on the
// keys it binds them to by their virtual-key codes. No two keys send one
// code, as polling could not tell them apart.
TEST(KeyGeometry, EveryTableValueIsOnExactlyOneKeyOfItsCode)
{
    CounterTable table;
    auto fields = StoredFields(table);
    std::map<const CountedValue*, int> codeOfField;
    for (const CounterGroup* group : {&table.LowercaseGroup, &table.UppercaseGroup, &table.DigitSymbolGroup}) {
        for (int slot = 0; slot < group->size; ++slot)
            codeOfField[&group->keys[slot].count] = group->keys[slot].virtualKey;
    }

    std::vector<int> shown(KeyMapValueCount, 0);
    std::set<int> codes;
    for (const KeyCap& key : KeyboardKeys()) {
        if (!key.IsCounted())
            continue;
        const KeyEntry& plain = KeyTable[key.values[0]];
        EXPECT_TRUE(codes.insert(plain.virtualKey).second) << key.legend << " sends another key's code";
        for (int slot = 0; slot < 2; ++slot) {
            int index = key.values[slot];
            if (index == NoKeyIndex)
                continue;
            ASSERT_GE(index, 0);
            ASSERT_LT(index, KeyMapValueCount);
            ++shown[index];
            const KeyEntry& entry = KeyTable[index];
            EXPECT_EQ(entry.virtualKey, plain.virtualKey) << key.legend << " shows " << entry.column;
            if (slot == 1) {
                EXPECT_EQ(key.letter ? entry.page == CountPage::Uppercase : entry.shiftOf == key.values[0], true)
                    << key.legend << ": its uppercase, or its stroke with Shift";
            }
            if (index < DataFileKeyCount) {
                int field = index < 52 ? index : index + 5;   // skip seconds to strokes per hour
                EXPECT_EQ(codeOfField.at(fields[field]), entry.virtualKey) << entry.column;
            }
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
            EXPECT_TRUE(part.height == QuartersPerUnit || part.height == 2 * QuartersPerUnit) << keys[i].legend;
            EXPECT_TRUE(Inside(part, {0, 0, KeyboardWidth, KeyboardHeight})) << keys[i].legend;
        }
        for (size_t j = i + 1; j < keys.size(); ++j) {
            for (const QuarterRect& a : Parts(keys[i])) {
                for (const QuarterRect& b : Parts(keys[j]))
                    EXPECT_FALSE(Overlap(a, b)) << keys[i].legend << " and " << keys[j].legend;
            }
        }
    }
}

// The blocks of a full-size keyboard: which keys each holds, and whether
// they fill it without a gap (the keys do not overlap: the areas add up).
TEST(KeyGeometry, EachBlockHoldsItsKeysOnAlignedRows)
{
    struct Case {
        const char* block;
        QuarterRect bounds;
        int keys;
        bool filled;
    } cases[] = {
        {"Esc and the F row, with gaps", {0, 0, 60, 4}, 13, false},
        {"Print Screen, Scroll Lock, Pause", {62, 0, 12, 4}, 3, true},
        {"the main block", {0, 6, 60, 20}, 66, true},
        {"Insert to PageDown", {62, 6, 12, 8}, 6, true},
        {"the arrows, an inverted T", {62, 18, 12, 8}, 4, false},
        {"the keypad", {76, 6, 16, 20}, 17, true},
    };
    int placed = 0;
    for (const Case& c : cases) {
        int keys = 0;
        int area = 0;
        for (const KeyCap& key : KeyboardKeys()) {
            bool inside = true;
            for (const QuarterRect& part : Parts(key))
                inside = inside && Inside(part, c.bounds);
            if (!inside)
                continue;
            ++keys;
            for (const QuarterRect& part : Parts(key)) {
                area += part.width * part.height;
                EXPECT_EQ((part.y - MainBlockTop) % QuartersPerUnit == 0, part.y >= MainBlockTop)
                    << key.legend << ": off its row";
            }
        }
        EXPECT_EQ(keys, c.keys) << c.block;
        EXPECT_EQ(area == c.bounds.width * c.bounds.height, c.filled) << c.block;
        placed += keys;
    }
    EXPECT_EQ(placed, KeyboardKeyCount) << "every key in a block";
}

TEST(KeyGeometry, KeysOfTheirOwnPlaceAndSize)
{
    struct Case {
        const char* column;   // of the strokes the key shows
        QuarterRect face;
    } cases[] = {
        {"escape", {0, 0, 4, 4}},       {"f1", {8, 0, 4, 4}},          // a unit's gap after Esc
        {"f5", {26, 0, 4, 4}},          {"f12", {56, 0, 4, 4}},        // half a unit between fours
        {"printscreen", {62, 0, 4, 4}}, {"pause", {70, 0, 4, 4}},
        {"hankaku", {0, 6, 4, 4}},      {"backspace", {56, 6, 4, 4}},
        {"tab", {0, 10, 6, 4}},         {"q", {6, 10, 4, 4}},
        {"eisu", {0, 14, 7, 4}},        {"A", {7, 14, 4, 4}},
        {"shift", {0, 18, 9, 4}},       {"backslash", {49, 18, 4, 4}}, {"rightshift", {53, 18, 7, 4}},
        {"ctrl", {0, 22, 5, 4}},        {"muhenkan", {13, 22, 5, 4}},  {"space", {18, 22, 15, 4}},
        {"kana", {38, 22, 5, 4}},       {"rightwin", {47, 22, 4, 4}},  {"rightctrl", {55, 22, 5, 4}},
        {"insert", {62, 6, 4, 4}},      {"pagedown", {70, 10, 4, 4}},
        {"up", {66, 18, 4, 4}},         {"shiftleft", {62, 22, 4, 4}}, {"right", {70, 22, 4, 4}},
        {"numlock", {76, 6, 4, 4}},     {"numminus", {88, 6, 4, 4}},
        {"numplus", {88, 10, 4, 8}},    // two rows high
        {"num1", {76, 18, 4, 4}},       {"num0", {76, 22, 8, 4}},      {"numperiod", {84, 22, 4, 4}},
    };
    for (const Case& c : cases) {
        const KeyCap* key = KeyShowing(c.column);
        ASSERT_NE(key, nullptr) << c.column;
        EXPECT_EQ(key->face.x, c.face.x) << c.column;
        EXPECT_EQ(key->face.y, c.face.y) << c.column;
        EXPECT_EQ(key->face.width, c.face.width) << c.column;
        EXPECT_EQ(key->face.height, c.face.height) << c.column;
    }
    // The keypad's Enter, two rows high, counts nothing of its own.
    int uncounted = 0;
    for (const KeyCap& key : KeyboardKeys()) {
        if (key.IsCounted())
            continue;
        ++uncounted;
        EXPECT_EQ(key.face.x, 88);
        EXPECT_EQ(key.face.y, 18);
        EXPECT_EQ(key.face.height, 8);
    }
    EXPECT_EQ(uncounted, 1);
}

TEST(KeyGeometry, EnterIsAnInvertedL)
{
    const KeyCap* enter = KeyShowing("enter");
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
    counts[KeyIndexOf("num7")] = 2;
    struct Case {
        const char* column;
        MapMode mode;
        uint64_t value;
    } cases[] = {
        {"e", MapMode::Lowercase, 30},
        {"e", MapMode::Uppercase, 12},
        {"e", MapMode::Both, 42},
        {"e", MapMode::AllStrokes, 42},     // both cases: every stroke of the key
        {"7", MapMode::Lowercase, 35},      // a digit's plain strokes, as the count pages count them
        {"7", MapMode::Uppercase, 35},
        {"7", MapMode::Both, 35},
        {"7", MapMode::AllStrokes, 44},     // with and without Shift
        {"space", MapMode::Lowercase, 40},  // a key of one value shows it in every mode
        {"space", MapMode::AllStrokes, 40},
        {"num7", MapMode::AllStrokes, 2},   // the keypad's 7 is a key of its own
    };
    for (const Case& c : cases) {
        uint64_t value = 0;
        ASSERT_TRUE(KeyValue(*KeyShowing(c.column), counts, c.mode, value)) << c.column;
        EXPECT_EQ(value, c.value) << c.column << " in mode " << static_cast<int>(c.mode);
    }
    struct Highest {
        MapMode mode;
        uint64_t value;
    } highest[] = {
        {MapMode::Lowercase, 40},    // Space outruns every letter and digit
        {MapMode::Both, 42},         // e's both cases outrun Space
        {MapMode::AllStrokes, 44},   // and 7 with Shift outruns them
    };
    for (const Highest& c : highest)
        EXPECT_EQ(HighestKeyValue(counts, c.mode), c.value) << static_cast<int>(c.mode);

    for (const KeyCap& key : KeyboardKeys()) {
        uint64_t untouched = 99;
        if (!key.IsCounted()) {
            EXPECT_FALSE(KeyValue(key, counts, MapMode::AllStrokes, untouched));
            EXPECT_EQ(untouched, 99u);
        }
    }
    counts[KeyIndexOf("shift7")] = std::numeric_limits<uint64_t>::max() - 1;
    EXPECT_EQ(HighestKeyValue(counts, MapMode::AllStrokes), std::numeric_limits<uint64_t>::max()) << "saturates";
}

} // namespace
