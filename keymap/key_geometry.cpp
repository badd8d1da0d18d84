#include "keymap/key_geometry.h"

#include <limits>
#include <string_view>

namespace {

// Lays keys out along a row, each starting where the previous one ended.
class RowPlacer {
public:
    constexpr void StartRow(int row)
    {
        x_ = 0;
        y_ = row * QuartersPerUnit;
    }
    constexpr void MoveTo(int x) { x_ = x; }
    // Returns the key's place in the table.
    constexpr int Key(const char* legend, int width, int virtualKey = 0, int value = NoKeyIndex,
                      int secondValue = NoKeyIndex)
    {
        KeyCap& key = keys_[count_];
        key.legend = legend;
        key.face = {static_cast<int16_t>(x_), static_cast<int16_t>(y_), static_cast<int16_t>(width),
                    static_cast<int16_t>(QuartersPerUnit)};
        key.virtualKey = static_cast<uint8_t>(virtualKey);
        key.values[0] = static_cast<int8_t>(value);
        key.values[1] = static_cast<int8_t>(secondValue);
        x_ += width;
        return count_++;
    }
    // A counted key one unit wide, named by its column in KeyTable, with the
    // table's label as its legend.
    constexpr void Counted(std::string_view column)
    {
        const KeyEntry& key = KeyTable[IndexOf(column)];
        Key(key.label, QuartersPerUnit, key.virtualKey, IndexOf(column));
    }
    // A letter key: its uppercase label, its lowercase and uppercase counts.
    constexpr void Letter(char letter)
    {
        const char lower[1] = {static_cast<char>(letter - 'A' + 'a')};
        const char upper[1] = {letter};
        const KeyEntry& key = KeyTable[IndexOf({upper, 1})];
        Key(key.label, QuartersPerUnit, key.virtualKey, IndexOf({lower, 1}), IndexOf({upper, 1}));
    }
    // The part of a key that reaches into this row, at the current place.
    constexpr void LowerPart(int key, int width)
    {
        keys_[key].lowerPart = {static_cast<int16_t>(x_), static_cast<int16_t>(y_), static_cast<int16_t>(width),
                                static_cast<int16_t>(QuartersPerUnit)};
        x_ += width;
    }
    constexpr const std::array<KeyCap, KeyboardKeyCount>& Keys() const { return keys_; }
    constexpr bool IsFull() const { return count_ == KeyboardKeyCount; }

private:
    // The place of a column that KeyTable has; another stops the compilation,
    // as the table is then read out of its bounds.
    static constexpr int IndexOf(std::string_view column)
    {
        int index = KeyIndexOf(column);
        return KeyTable[index].column == column ? index : NoKeyIndex;
    }

    std::array<KeyCap, KeyboardKeyCount> keys_{};
    int count_ = 0;
    int x_ = 0, y_ = 0;
};

constexpr RowPlacer JisKeyboard()
{
    constexpr int U = QuartersPerUnit;
    RowPlacer row;

    row.StartRow(0);
    row.Key("半/全", U);
    for (const char* digit : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"})
        row.Counted(digit);
    row.Counted("minus");
    row.Counted("caret");
    row.Counted("yen");
    row.Key("BS", U);

    row.StartRow(1);
    row.Key("Tab", U * 3 / 2);
    for (char letter : {'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P'})
        row.Letter(letter);
    row.Counted("at");
    row.Counted("bracketleft");
    int enter = row.Key("Enter", U * 3 / 2);

    row.StartRow(2);
    row.Key("英数", U * 7 / 4);
    for (char letter : {'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L'})
        row.Letter(letter);
    row.Counted("semicolon");
    row.Counted("colon");
    row.Counted("bracketright");
    row.LowerPart(enter, U * 5 / 4);

    row.StartRow(3);
    row.Key("Shift", U * 9 / 4);
    for (char letter : {'Z', 'X', 'C', 'V', 'B', 'N', 'M'})
        row.Letter(letter);
    row.Counted("comma");
    row.Counted("period");
    row.Counted("slash");
    row.Key("＼", U);   // the ろ key: no count of its own
    row.Key("Shift", U * 7 / 4);
    // The arrows stand half a unit right of the main block, as an inverted T.
    row.MoveTo(MainBlockWidth + U / 2 + U);
    row.Counted("up");

    row.StartRow(4);
    const int side = U * 5 / 4;
    for (const char* legend : {"Ctrl", "Win", "Alt", "無変換"})
        row.Key(legend, side);
    row.Key("スペース", U * 15 / 4);
    for (const char* legend : {"変換", "かな", "Alt", "Menu", "Ctrl"})
        row.Key(legend, side);
    row.MoveTo(MainBlockWidth + U / 2);
    row.Counted("left");
    row.Counted("down");
    row.Counted("right");

    return row;
}

constexpr RowPlacer Placed = JisKeyboard();
static_assert(Placed.IsFull(), "KeyboardKeyCount is the number of keys placed");
constexpr std::array<KeyCap, KeyboardKeyCount> Keyboard = Placed.Keys();

uint64_t AddSaturating(uint64_t a, uint64_t b)
{
    return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max() : a + b;
}

} // namespace

std::span<const KeyCap> KeyboardKeys() { return Keyboard; }

bool KeyValue(const KeyCap& key, const KeyCounts& counts, LetterMode mode, uint64_t& value)
{
    if (!key.IsCounted())
        return false;
    if (!key.IsLetter() || mode == LetterMode::Lowercase)
        value = counts[key.values[0]];
    else if (mode == LetterMode::Uppercase)
        value = counts[key.values[1]];
    else
        value = AddSaturating(counts[key.values[0]], counts[key.values[1]]);
    return true;
}

uint64_t HighestKeyValue(const KeyCounts& counts, LetterMode mode)
{
    uint64_t highest = 0;
    for (const KeyCap& key : Keyboard) {
        uint64_t value = 0;
        if (KeyValue(key, counts, mode, value) && value > highest)
            highest = value;
    }
    return highest;
}
