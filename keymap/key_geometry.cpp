#include "keymap/key_geometry.h"

#include "paint/heat_scale.h"

#include <cstdint>
#include <limits>
#include <string_view>

namespace {

constexpr int U = QuartersPerUnit;

// The place of a column that KeyTable has; another stops the compilation,
// as the table is then read out of its bounds.
constexpr int IndexOf(std::string_view column)
{
    int index = KeyIndexOf(column);
    return KeyTable[index].column == column ? index : NoKeyIndex;
}

// The column of the stroke of a key made with Shift held, if it has one.
constexpr int ShiftedIndexOf(int plain)
{
    for (int key = FirstShiftedKey; key < KeyTableSize; ++key) {
        if (KeyTable[key].shiftOf == plain)
            return key;
    }
    return NoKeyIndex;
}

// Lays keys out along a row, each starting where the previous one ended.
class RowPlacer {
public:
    constexpr void StartRow(int y)
    {
        x_ = 0;
        y_ = y;
    }
    constexpr void MoveTo(int x) { x_ = x; }
    // Returns the key's place in the table.
    constexpr int Key(const char* legend, int width, int value = NoKeyIndex, int secondValue = NoKeyIndex,
                      int height = U)
    {
        KeyCap& key = keys_[count_];
        key.legend = legend;
        key.face = {static_cast<int8_t>(x_), static_cast<int8_t>(y_), static_cast<int8_t>(width),
                    static_cast<int8_t>(height)};
        key.values[0] = static_cast<int16_t>(value);
        key.values[1] = static_cast<int16_t>(secondValue);
        x_ += width;
        return count_++;
    }
    // A key that counts one column, with its stroke made with Shift if the
    // table has one.
    constexpr int Counted(const char* legend, std::string_view column, int width = U, int height = U)
    {
        int plain = IndexOf(column);
        return Key(legend, width, plain, ShiftedIndexOf(plain), height);
    }
    // A one-unit key with the table's label as its legend.
    constexpr void Counted(std::string_view column) { Counted(KeyTable[IndexOf(column)].label, column); }
    // A letter key: its uppercase label, its lowercase and uppercase counts.
    constexpr void Letter(char letter)
    {
        const char lower[1] = {static_cast<char>(letter - 'A' + 'a')};
        const char upper[1] = {letter};
        int key = Key(KeyTable[IndexOf({upper, 1})].label, U, IndexOf({lower, 1}), IndexOf({upper, 1}));
        keys_[key].letter = true;
    }
    // The legend drawn where the key's own is too long to read at its size.
    constexpr void ShortLegend(int key, const char* legend) { keys_[key].shortLegend = legend; }
    // The part of a key that reaches into this row, at the current place.
    constexpr void LowerPart(int key, int width)
    {
        keys_[key].lowerPart = {static_cast<int8_t>(x_), static_cast<int8_t>(y_), static_cast<int8_t>(width),
                                static_cast<int8_t>(U)};
        x_ += width;
    }
    constexpr const std::array<KeyCap, KeyboardKeyCount>& Keys() const { return keys_; }
    constexpr bool IsFull() const { return count_ == KeyboardKeyCount; }

private:
    std::array<KeyCap, KeyboardKeyCount> keys_{};
    int count_ = 0;
    int x_ = 0, y_ = 0;
};

constexpr int RowTop(int row) { return MainBlockTop + row * U; }

constexpr RowPlacer JisKeyboard()
{
    RowPlacer row;

    // Esc, a unit's gap, then the F keys in fours half a unit apart: as wide
    // as the main block.
    row.StartRow(0);
    row.Counted("Esc", "escape");
    const char* const functionKeys[] = {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12"};
    const char* const functionColumns[] = {"f1", "f2", "f3", "f4", "f5", "f6", "f7", "f8", "f9", "f10", "f11", "f12"};
    for (int key = 0; key < 12; ++key) {
        row.MoveTo(2 * U + key * U + key / 4 * U / 2);
        row.Counted(functionKeys[key], functionColumns[key]);
    }
    row.MoveTo(EditingBlockLeft);
    // Where legends are short, a unit's width holds three half-width
    // characters at the legend font's size: the first letters, or an arrow.
    row.ShortLegend(row.Counted("PrtSc", "printscreen"), "Prt");
    row.ShortLegend(row.Counted("ScrLk", "scrolllock"), "Scr");
    row.ShortLegend(row.Counted("Pause", "pause"), "Pau");

    row.StartRow(RowTop(0));
    row.ShortLegend(row.Counted("半/全", "hankaku"), "全");
    for (const char* digit : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"})
        row.Counted(digit);
    row.Counted("minus");
    // A caret of either width is a speck at a key's size; the wedge is as
    // tall as a letter.
    row.Counted("∧", "caret");
    row.Counted("yen");
    row.Counted("BS", "backspace");
    row.MoveTo(EditingBlockLeft);
    row.Counted("Ins", "insert");
    row.ShortLegend(row.Counted("Home", "home"), "Hom");
    row.ShortLegend(row.Counted("PgUp", "pageup"), "P↑");
    row.MoveTo(KeypadLeft);
    row.Counted("Num", "numlock");
    row.Counted("/", "numslash");
    row.Counted("*", "nummultiply");
    row.Counted("-", "numminus");

    row.StartRow(RowTop(1));
    row.Counted("Tab", "tab", U * 3 / 2);
    for (char letter : {'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P'})
        row.Letter(letter);
    row.Counted("at");
    row.Counted("bracketleft");
    int enter = row.Counted("Enter", "enter", U * 3 / 2);
    row.MoveTo(EditingBlockLeft);
    row.Counted("Del", "delete");
    row.Counted("End", "end");
    row.ShortLegend(row.Counted("PgDn", "pagedown"), "P↓");
    row.MoveTo(KeypadLeft);
    row.Counted("7", "num7");
    row.Counted("8", "num8");
    row.Counted("9", "num9");
    row.Counted("+", "numplus", U, 2 * U);

    row.StartRow(RowTop(2));
    row.Counted("英数", "eisu", U * 7 / 4);
    for (char letter : {'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L'})
        row.Letter(letter);
    row.Counted("semicolon");
    row.Counted("colon");
    row.Counted("bracketright");
    row.LowerPart(enter, U * 5 / 4);
    row.MoveTo(KeypadLeft);
    row.Counted("4", "num4");
    row.Counted("5", "num5");
    row.Counted("6", "num6");

    row.StartRow(RowTop(3));
    row.Counted("Shift", "shift", U * 9 / 4);
    for (char letter : {'Z', 'X', 'C', 'V', 'B', 'N', 'M'})
        row.Letter(letter);
    row.Counted("comma");
    row.Counted("period");
    row.Counted("slash");
    row.Counted("＼", "backslash");   // the ろ key
    row.Counted("Shift", "rightshift", U * 7 / 4);
    row.MoveTo(EditingBlockLeft + U);
    row.Counted("up");
    row.MoveTo(KeypadLeft);
    row.Counted("1", "num1");
    row.Counted("2", "num2");
    row.Counted("3", "num3");
    row.ShortLegend(row.Key("Enter", U, NoKeyIndex, NoKeyIndex, 2 * U), "Ent");

    row.StartRow(RowTop(4));
    const int side = U * 5 / 4;
    row.Counted("Ctrl", "ctrl", side);
    row.Counted("Win", "win");
    row.Counted("Alt", "alt");
    row.ShortLegend(row.Counted("無変換", "muhenkan", side), "無変");
    row.Counted("スペース", "space", U * 15 / 4);
    row.Counted("変換", "henkan", side);
    row.Counted("かな", "kana", side);
    row.Counted("Alt", "rightalt");
    row.Counted("Win", "rightwin");
    // The key's name, and the menu its engraving pictures.
    row.ShortLegend(row.Counted("アプリ", "menu"), "≡");
    row.Counted("Ctrl", "rightctrl", side);
    row.MoveTo(EditingBlockLeft);
    row.Counted("left");
    row.Counted("down");
    row.Counted("right");
    row.MoveTo(KeypadLeft);
    row.Counted("0", "num0", 2 * U);
    row.Counted(".", "numperiod");

    return row;
}

constexpr RowPlacer Placed = JisKeyboard();
static_assert(Placed.IsFull(), "KeyboardKeyCount is the number of keys placed");
constexpr std::array<KeyCap, KeyboardKeyCount> Keyboard = Placed.Keys();

// Every value of the table is shown by exactly one key.
constexpr bool EveryValueOnOneKey()
{
    for (int value = 0; value < KeyTableSize; ++value) {
        int shown = 0;
        for (const KeyCap& key : Keyboard)
            shown += (key.values[0] == value) + (key.values[1] == value);
        if (shown != 1)
            return false;
    }
    return true;
}
static_assert(EveryValueOnOneKey(), "each counted value on one key");

// Within the board, and no key reaching into the next one on its row.
constexpr bool KeysLieOnTheBoard()
{
    for (int i = 0; i < KeyboardKeyCount; ++i) {
        const QuarterRect& face = Keyboard[i].face;
        if (face.x < 0 || face.Right() > KeyboardWidth || face.y < 0 || face.Bottom() > KeyboardHeight)
            return false;
        if (i > 0 && Keyboard[i - 1].face.y == face.y && Keyboard[i - 1].face.Right() > face.x)
            return false;
    }
    return true;
}
static_assert(KeysLieOnTheBoard(), "keys on the board, in order along each row");
static_assert(KeyboardWidth <= INT8_MAX, "quarters fit a QuarterRect");

uint64_t AddSaturating(uint64_t a, uint64_t b)
{
    return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max() : a + b;
}

} // namespace

std::span<const KeyCap> KeyboardKeys() { return Keyboard; }

bool KeyValue(const KeyCap& key, const KeyCounts& counts, MapMode mode, uint64_t& value)
{
    if (!key.IsCounted())
        return false;
    bool both = mode == MapMode::AllStrokes || (key.letter && mode == MapMode::Both);
    if (key.letter && mode == MapMode::Uppercase)
        value = counts[key.values[1]];
    else if (both && key.values[1] != NoKeyIndex)
        value = AddSaturating(counts[key.values[0]], counts[key.values[1]]);
    else
        value = counts[key.values[0]];
    return true;
}

uint64_t HighestKeyValue(const KeyCounts& counts, MapMode mode)
{
    uint64_t highest = 0;
    for (const KeyCap& key : Keyboard) {
        uint64_t value = 0;
        if (KeyValue(key, counts, mode, value) && value > highest)
            highest = value;
    }
    return highest;
}

KeySelection KeysDrawnOtherwise(const KeyCounts& before, const KeyCounts& after, MapMode mode)
{
    const uint64_t highestBefore = HighestKeyValue(before, mode);
    const uint64_t highestAfter = HighestKeyValue(after, mode);
    KeySelection changed{};
    auto keys = KeyboardKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        uint64_t was = 0;
        uint64_t now = 0;
        if (!KeyValue(keys[i], before, mode, was) || !KeyValue(keys[i], after, mode, now))
            continue;
        changed[i] = was != now || (highestBefore != highestAfter &&
                                    HeatColour(was, highestBefore) != HeatColour(now, highestAfter));
    }
    return changed;
}
