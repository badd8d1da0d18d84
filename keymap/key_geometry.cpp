#include "keymap/key_geometry.h"

#include <limits>

#include "capture/key_codes.h"

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
    constexpr void Letter(char letter)
    {
        int offset = letter - 'A';
        const char* legends = "A\0B\0C\0D\0E\0F\0G\0H\0I\0J\0K\0L\0M\0N\0O\0P\0Q\0R\0S\0T\0U\0V\0W\0X\0Y\0Z";
        Key(legends + 2 * offset, QuartersPerUnit, KeyLetterA + offset, KeyIndexLowerA + offset,
            KeyIndexUpperA + offset);
    }
    constexpr void Digit(int digit)
    {
        const char* legends = "0\0" "1\0" "2\0" "3\0" "4\0" "5\0" "6\0" "7\0" "8\0" "9";
        Key(legends + 2 * digit, QuartersPerUnit, KeyDigit0 + digit, KeyIndexDigit0 + digit);
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
    for (int digit : {1, 2, 3, 4, 5, 6, 7, 8, 9, 0})
        row.Digit(digit);
    row.Key("-", U, KeyOemMinus, KeyIndexMinus);
    row.Key("^", U, KeyOem7, KeyIndexCaret);
    row.Key("￥", U, KeyOem5, KeyIndexYen);
    row.Key("BS", U);

    row.StartRow(1);
    row.Key("Tab", U * 3 / 2);
    for (char letter : {'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P'})
        row.Letter(letter);
    row.Key("@", U, KeyOem3, KeyIndexAt);
    row.Key("[", U, KeyOem4, KeyIndexBracketLeft);
    int enter = row.Key("Enter", U * 3 / 2);

    row.StartRow(2);
    row.Key("英数", U * 7 / 4);
    for (char letter : {'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L'})
        row.Letter(letter);
    row.Key(";", U, KeyOemPlus, KeyIndexSemicolon);
    row.Key(":", U, KeyOem1, KeyIndexColon);
    row.Key("]", U, KeyOem6, KeyIndexBracketRight);
    row.LowerPart(enter, U * 5 / 4);

    row.StartRow(3);
    row.Key("Shift", U * 9 / 4);
    for (char letter : {'Z', 'X', 'C', 'V', 'B', 'N', 'M'})
        row.Letter(letter);
    row.Key(",", U, KeyOemComma, KeyIndexComma);
    row.Key(".", U, KeyOemPeriod, KeyIndexPeriod);
    row.Key("/", U, KeyOem2, KeyIndexSlash);
    row.Key("＼", U);   // the ろ key: no count of its own
    row.Key("Shift", U * 7 / 4);
    // The arrows stand half a unit right of the main block, as an inverted T.
    row.MoveTo(MainBlockWidth + U / 2 + U);
    row.Key("↑", U, KeyUp, KeyIndexUp);

    row.StartRow(4);
    const int side = U * 5 / 4;
    for (const char* legend : {"Ctrl", "Win", "Alt", "無変換"})
        row.Key(legend, side);
    row.Key("スペース", U * 15 / 4);
    for (const char* legend : {"変換", "かな", "Alt", "Menu", "Ctrl"})
        row.Key(legend, side);
    row.MoveTo(MainBlockWidth + U / 2);
    row.Key("←", U, KeyLeft, KeyIndexLeft);
    row.Key("↓", U, KeyDown, KeyIndexDown);
    row.Key("→", U, KeyRight, KeyIndexRight);

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

KeyCounts KeyCountsFromStoredValues(const StoredValues& values)
{
    KeyCounts counts{};
    int index = 0;
    for (int field = 1; field <= StoredValueCount; ++field) {
        if (field >= FieldClockSeconds && field <= FieldStrokesPerHour)
            continue;
        int32_t value = values[field - 1];
        counts[index++] = value > 0 ? static_cast<uint64_t>(value) : 0;
    }
    return counts;
}
