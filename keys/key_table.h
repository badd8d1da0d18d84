#pragma once
// Every key that Kivora names, once: in the history's column order, each with
// its column name, virtual-key code, place on a count page, field of the data
// file and the label that the drawings show. The counter table, the data
// file, the history and the export, the key map and the chart all read it.
//
// The first DataFileKeyCount keys are those of the data file, in its order:
// the keys the count pages show. After them come every other key of a JIS
// 106/109 keyboard, each with no field and no count page, and then the
// strokes of the digit, arrow and punctuation keys made with Shift held,
// which the count pages leave out: so that every stroke of every key counts
// once, and the files written so far keep their form.
#include <cstdint>
#include <string_view>

#include "keys/key_codes.h"

// The count pages of the main window; None for a key that none shows.
enum class CountPage : uint8_t { Lowercase, Uppercase, DigitsSymbols, None };

constexpr int NoSlot = -1;
constexpr int NoDataField = 0;
constexpr int NoKeyIndex = -1;

struct KeyEntry {
    std::string_view column;   // the history's header and the export: "a", "colon"
    uint8_t virtualKey;        // as GetAsyncKeyState knows it on a JIS keyboard
    CountPage page;
    int8_t slot;               // its place on that page, or NoSlot
    int8_t dataField;          // 1-based field of the data file, or NoDataField
    const char* label;         // as typed: a, A, 0, →, :, ￥ (code page 932)
    // Other codes the same key sends (an input method's 英数, 半角/全角 and
    // カタカナ/ひらがな change theirs); 0 for none.
    uint8_t alsoSends[2] = {0, 0};
    // For a stroke made with Shift held: the key, whose own column counts it
    // without Shift; NoKeyIndex for the rest.
    int8_t shiftOf = NoKeyIndex;
};

// Uppercase letters have the same key as lowercase ones: which of them a
// stroke counts for is Shift's and Caps Lock's choice.
inline constexpr KeyEntry KeyTable[] = {
    // column, virtual key, count page, slot, data field, label
    {"a",            'A',          CountPage::Lowercase,     0,  1,  "a"},
    {"b",            'B',          CountPage::Lowercase,     1,  2,  "b"},
    {"c",            'C',          CountPage::Lowercase,     2,  3,  "c"},
    {"d",            'D',          CountPage::Lowercase,     3,  4,  "d"},
    {"e",            'E',          CountPage::Lowercase,     4,  5,  "e"},
    {"f",            'F',          CountPage::Lowercase,     5,  6,  "f"},
    {"g",            'G',          CountPage::Lowercase,     6,  7,  "g"},
    {"h",            'H',          CountPage::Lowercase,     7,  8,  "h"},
    {"i",            'I',          CountPage::Lowercase,     8,  9,  "i"},
    {"j",            'J',          CountPage::Lowercase,     9,  10, "j"},
    {"k",            'K',          CountPage::Lowercase,     10, 11, "k"},
    {"l",            'L',          CountPage::Lowercase,     11, 12, "l"},
    {"m",            'M',          CountPage::Lowercase,     12, 13, "m"},
    {"n",            'N',          CountPage::Lowercase,     13, 14, "n"},
    {"o",            'O',          CountPage::Lowercase,     14, 15, "o"},
    {"p",            'P',          CountPage::Lowercase,     15, 16, "p"},
    {"q",            'Q',          CountPage::Lowercase,     16, 17, "q"},
    {"r",            'R',          CountPage::Lowercase,     17, 18, "r"},
    {"s",            'S',          CountPage::Lowercase,     18, 19, "s"},
    {"t",            'T',          CountPage::Lowercase,     19, 20, "t"},
    {"u",            'U',          CountPage::Lowercase,     20, 21, "u"},
    {"v",            'V',          CountPage::Lowercase,     21, 22, "v"},
    {"w",            'W',          CountPage::Lowercase,     22, 23, "w"},
    {"x",            'X',          CountPage::Lowercase,     23, 24, "x"},
    {"y",            'Y',          CountPage::Lowercase,     24, 25, "y"},
    {"z",            'Z',          CountPage::Lowercase,     25, 26, "z"},
    {"A",            'A',          CountPage::Uppercase,     0,  27, "A"},
    {"B",            'B',          CountPage::Uppercase,     1,  28, "B"},
    {"C",            'C',          CountPage::Uppercase,     2,  29, "C"},
    {"D",            'D',          CountPage::Uppercase,     3,  30, "D"},
    {"E",            'E',          CountPage::Uppercase,     4,  31, "E"},
    {"F",            'F',          CountPage::Uppercase,     5,  32, "F"},
    {"G",            'G',          CountPage::Uppercase,     6,  33, "G"},
    {"H",            'H',          CountPage::Uppercase,     7,  34, "H"},
    {"I",            'I',          CountPage::Uppercase,     8,  35, "I"},
    {"J",            'J',          CountPage::Uppercase,     9,  36, "J"},
    {"K",            'K',          CountPage::Uppercase,     10, 37, "K"},
    {"L",            'L',          CountPage::Uppercase,     11, 38, "L"},
    {"M",            'M',          CountPage::Uppercase,     12, 39, "M"},
    {"N",            'N',          CountPage::Uppercase,     13, 40, "N"},
    {"O",            'O',          CountPage::Uppercase,     14, 41, "O"},
    {"P",            'P',          CountPage::Uppercase,     15, 42, "P"},
    {"Q",            'Q',          CountPage::Uppercase,     16, 43, "Q"},
    {"R",            'R',          CountPage::Uppercase,     17, 44, "R"},
    {"S",            'S',          CountPage::Uppercase,     18, 45, "S"},
    {"T",            'T',          CountPage::Uppercase,     19, 46, "T"},
    {"U",            'U',          CountPage::Uppercase,     20, 47, "U"},
    {"V",            'V',          CountPage::Uppercase,     21, 48, "V"},
    {"W",            'W',          CountPage::Uppercase,     22, 49, "W"},
    {"X",            'X',          CountPage::Uppercase,     23, 50, "X"},
    {"Y",            'Y',          CountPage::Uppercase,     24, 51, "Y"},
    {"Z",            'Z',          CountPage::Uppercase,     25, 52, "Z"},
    {"0",            '0',          CountPage::DigitsSymbols, 0,  58, "0"},
    {"1",            '1',          CountPage::DigitsSymbols, 1,  59, "1"},
    {"2",            '2',          CountPage::DigitsSymbols, 2,  60, "2"},
    {"3",            '3',          CountPage::DigitsSymbols, 3,  61, "3"},
    {"4",            '4',          CountPage::DigitsSymbols, 4,  62, "4"},
    {"5",            '5',          CountPage::DigitsSymbols, 5,  63, "5"},
    {"6",            '6',          CountPage::DigitsSymbols, 6,  64, "6"},
    {"7",            '7',          CountPage::DigitsSymbols, 7,  65, "7"},
    {"8",            '8',          CountPage::DigitsSymbols, 8,  66, "8"},
    {"9",            '9',          CountPage::DigitsSymbols, 9,  67, "9"},
    {"right",        KeyRight,     CountPage::DigitsSymbols, 10, 68, "→"},
    {"left",         KeyLeft,      CountPage::DigitsSymbols, 11, 69, "←"},
    {"up",           KeyUp,        CountPage::DigitsSymbols, 12, 70, "↑"},
    {"down",         KeyDown,      CountPage::DigitsSymbols, 13, 71, "↓"},
    {"colon",        KeyOem1,      CountPage::DigitsSymbols, 15, 72, ":"},
    {"semicolon",    KeyOemPlus,   CountPage::DigitsSymbols, 14, 73, ";"},
    {"at",           KeyOem3,      CountPage::DigitsSymbols, 19, 74, "@"},
    {"yen",          KeyOem5,      CountPage::DigitsSymbols, 20, 75, "￥"},
    {"minus",        KeyOemMinus,  CountPage::DigitsSymbols, 21, 76, "-"},
    {"period",       KeyOemPeriod, CountPage::DigitsSymbols, 17, 77, "."},
    {"comma",        KeyOemComma,  CountPage::DigitsSymbols, 16, 78, ","},
    {"slash",        KeyOem2,      CountPage::DigitsSymbols, 18, 79, "/"},
    {"bracketleft",  KeyOem4,      CountPage::DigitsSymbols, 22, 80, "["},
    {"bracketright", KeyOem6,      CountPage::DigitsSymbols, 23, 81, "]"},
    {"caret",        KeyOem7,      CountPage::DigitsSymbols, 24, 82, "^"},
    // Every other key, counted by the count of every key only.
    {"space",       KeySpace, CountPage::None, NoSlot, NoDataField, "スペース"},
    {"enter",       KeyEnter, CountPage::None, NoSlot, NoDataField, "Enter"},
    {"backspace",   KeyBackspace, CountPage::None, NoSlot, NoDataField, "Backspace"},
    {"tab",         KeyTab, CountPage::None, NoSlot, NoDataField, "Tab"},
    {"escape",      KeyEscape, CountPage::None, NoSlot, NoDataField, "Esc"},
    {"shift",       KeyLeftShift, CountPage::None, NoSlot, NoDataField, "左 Shift"},
    {"rightshift",  KeyRightShift, CountPage::None, NoSlot, NoDataField, "右 Shift"},
    {"ctrl",        KeyLeftControl, CountPage::None, NoSlot, NoDataField, "左 Ctrl"},
    {"rightctrl",   KeyRightControl, CountPage::None, NoSlot, NoDataField, "右 Ctrl"},
    {"alt",         KeyLeftAlt, CountPage::None, NoSlot, NoDataField, "左 Alt"},
    {"rightalt",    KeyRightAlt, CountPage::None, NoSlot, NoDataField, "右 Alt"},
    {"win",         KeyLeftWindows, CountPage::None, NoSlot, NoDataField, "左 Windows"},
    {"rightwin",    KeyRightWindows, CountPage::None, NoSlot, NoDataField, "右 Windows"},
    {"menu",        KeyApplications, CountPage::None, NoSlot, NoDataField, "アプリ"},
    {"henkan",      KeyConvert, CountPage::None, NoSlot, NoDataField, "変換"},
    {"muhenkan",    KeyNonConvert, CountPage::None, NoSlot, NoDataField, "無変換"},
    {"kana",        KeyHiragana, CountPage::None, NoSlot, NoDataField, "カタカナ/ひらがな", {KeyKatakana, KeyKana}},
    {"hankaku",     KeySingleByte, CountPage::None, NoSlot, NoDataField, "半角/全角", {KeyDoubleByte, KeyKanji}},
    {"eisu",        KeyCapsLock, CountPage::None, NoSlot, NoDataField, "英数", {KeyAlphanumeric, 0}},
    {"backslash",   KeyOem102, CountPage::None, NoSlot, NoDataField, "＼"},
    {"f1",          KeyF1 + 0, CountPage::None, NoSlot, NoDataField, "F1"},
    {"f2",          KeyF1 + 1, CountPage::None, NoSlot, NoDataField, "F2"},
    {"f3",          KeyF1 + 2, CountPage::None, NoSlot, NoDataField, "F3"},
    {"f4",          KeyF1 + 3, CountPage::None, NoSlot, NoDataField, "F4"},
    {"f5",          KeyF1 + 4, CountPage::None, NoSlot, NoDataField, "F5"},
    {"f6",          KeyF1 + 5, CountPage::None, NoSlot, NoDataField, "F6"},
    {"f7",          KeyF1 + 6, CountPage::None, NoSlot, NoDataField, "F7"},
    {"f8",          KeyF1 + 7, CountPage::None, NoSlot, NoDataField, "F8"},
    {"f9",          KeyF1 + 8, CountPage::None, NoSlot, NoDataField, "F9"},
    {"f10",         KeyF1 + 9, CountPage::None, NoSlot, NoDataField, "F10"},
    {"f11",         KeyF1 + 10, CountPage::None, NoSlot, NoDataField, "F11"},
    {"f12",         KeyF1 + 11, CountPage::None, NoSlot, NoDataField, "F12"},
    {"insert",      KeyInsert, CountPage::None, NoSlot, NoDataField, "Insert"},
    {"delete",      KeyDelete, CountPage::None, NoSlot, NoDataField, "Delete"},
    {"home",        KeyHome, CountPage::None, NoSlot, NoDataField, "Home"},
    {"end",         KeyEnd, CountPage::None, NoSlot, NoDataField, "End"},
    {"pageup",      KeyPageUp, CountPage::None, NoSlot, NoDataField, "Page Up"},
    {"pagedown",    KeyPageDown, CountPage::None, NoSlot, NoDataField, "Page Down"},
    {"printscreen", KeyPrintScreen, CountPage::None, NoSlot, NoDataField, "Print Screen"},
    {"scrolllock",  KeyScrollLock, CountPage::None, NoSlot, NoDataField, "Scroll Lock"},
    {"pause",       KeyPause, CountPage::None, NoSlot, NoDataField, "Pause"},
    {"numlock",     KeyNumLock, CountPage::None, NoSlot, NoDataField, "Num Lock"},
    {"num0",        KeyNumpad0 + 0, CountPage::None, NoSlot, NoDataField, "テンキー 0"},
    {"num1",        KeyNumpad0 + 1, CountPage::None, NoSlot, NoDataField, "テンキー 1"},
    {"num2",        KeyNumpad0 + 2, CountPage::None, NoSlot, NoDataField, "テンキー 2"},
    {"num3",        KeyNumpad0 + 3, CountPage::None, NoSlot, NoDataField, "テンキー 3"},
    {"num4",        KeyNumpad0 + 4, CountPage::None, NoSlot, NoDataField, "テンキー 4"},
    {"num5",        KeyNumpad0 + 5, CountPage::None, NoSlot, NoDataField, "テンキー 5"},
    {"num6",        KeyNumpad0 + 6, CountPage::None, NoSlot, NoDataField, "テンキー 6"},
    {"num7",        KeyNumpad0 + 7, CountPage::None, NoSlot, NoDataField, "テンキー 7"},
    {"num8",        KeyNumpad0 + 8, CountPage::None, NoSlot, NoDataField, "テンキー 8"},
    {"num9",        KeyNumpad0 + 9, CountPage::None, NoSlot, NoDataField, "テンキー 9"},
    {"numslash",    KeyDivide, CountPage::None, NoSlot, NoDataField, "テンキー /"},
    {"nummultiply", KeyMultiply, CountPage::None, NoSlot, NoDataField, "テンキー *"},
    {"numminus",    KeySubtract, CountPage::None, NoSlot, NoDataField, "テンキー -"},
    {"numplus",     KeyAdd, CountPage::None, NoSlot, NoDataField, "テンキー +"},
    {"numperiod",   KeyDecimal, CountPage::None, NoSlot, NoDataField, "テンキー ."},
    // The keys of the digit and symbol page struck with Shift held.
    {"shift0",      '0', CountPage::None, NoSlot, NoDataField, "Shift+0", {0, 0}, 52},
    {"shift1",      '1', CountPage::None, NoSlot, NoDataField, "Shift+1", {0, 0}, 53},
    {"shift2",      '2', CountPage::None, NoSlot, NoDataField, "Shift+2", {0, 0}, 54},
    {"shift3",      '3', CountPage::None, NoSlot, NoDataField, "Shift+3", {0, 0}, 55},
    {"shift4",      '4', CountPage::None, NoSlot, NoDataField, "Shift+4", {0, 0}, 56},
    {"shift5",      '5', CountPage::None, NoSlot, NoDataField, "Shift+5", {0, 0}, 57},
    {"shift6",      '6', CountPage::None, NoSlot, NoDataField, "Shift+6", {0, 0}, 58},
    {"shift7",      '7', CountPage::None, NoSlot, NoDataField, "Shift+7", {0, 0}, 59},
    {"shift8",      '8', CountPage::None, NoSlot, NoDataField, "Shift+8", {0, 0}, 60},
    {"shift9",      '9', CountPage::None, NoSlot, NoDataField, "Shift+9", {0, 0}, 61},
    {"shiftright",  KeyRight, CountPage::None, NoSlot, NoDataField, "Shift+→", {0, 0}, 62},
    {"shiftleft",   KeyLeft, CountPage::None, NoSlot, NoDataField, "Shift+←", {0, 0}, 63},
    {"shiftup",     KeyUp, CountPage::None, NoSlot, NoDataField, "Shift+↑", {0, 0}, 64},
    {"shiftdown",   KeyDown, CountPage::None, NoSlot, NoDataField, "Shift+↓", {0, 0}, 65},
    {"shiftcolon",  KeyOem1, CountPage::None, NoSlot, NoDataField, "Shift+:", {0, 0}, 66},
    {"shiftsemicolon", KeyOemPlus, CountPage::None, NoSlot, NoDataField, "Shift+;", {0, 0}, 67},
    {"shiftat",     KeyOem3, CountPage::None, NoSlot, NoDataField, "Shift+@", {0, 0}, 68},
    {"shiftyen",    KeyOem5, CountPage::None, NoSlot, NoDataField, "Shift+￥", {0, 0}, 69},
    {"shiftminus",  KeyOemMinus, CountPage::None, NoSlot, NoDataField, "Shift+-", {0, 0}, 70},
    {"shiftperiod", KeyOemPeriod, CountPage::None, NoSlot, NoDataField, "Shift+.", {0, 0}, 71},
    {"shiftcomma",  KeyOemComma, CountPage::None, NoSlot, NoDataField, "Shift+,", {0, 0}, 72},
    {"shiftslash",  KeyOem2, CountPage::None, NoSlot, NoDataField, "Shift+/", {0, 0}, 73},
    {"shiftbracketleft", KeyOem4, CountPage::None, NoSlot, NoDataField, "Shift+[", {0, 0}, 74},
    {"shiftbracketright", KeyOem6, CountPage::None, NoSlot, NoDataField, "Shift+]", {0, 0}, 75},
    {"shiftcaret",  KeyOem7, CountPage::None, NoSlot, NoDataField, "Shift+^", {0, 0}, 76},
};

constexpr int KeyTableSize = static_cast<int>(sizeof KeyTable / sizeof KeyTable[0]);
// The data file's keys: fields 1-52 and 58-82 (53-57 are the clock, the
// total and the rate).
constexpr int DataFileKeyCount = 77;
// The keys of the digit and symbol page, each with a column for its strokes
// made with Shift held: the last ones of the table.
constexpr int ShiftedKeyCount = 25;
constexpr int FirstShiftedKey = KeyTableSize - ShiftedKeyCount;

// A key's place in the table, by its column name; NoKeyIndex for none.
constexpr int KeyIndexOf(std::string_view column)
{
    for (int key = 0; key < KeyTableSize; ++key) {
        if (KeyTable[key].column == column)
            return key;
    }
    return NoKeyIndex;
}

// Each key of the data file has a field, in ascending order, and a count
// page; no key after them has a field.
constexpr bool DataFileKeysComeFirst()
{
    int previous = 0;
    for (int key = 0; key < KeyTableSize; ++key) {
        const KeyEntry& entry = KeyTable[key];
        bool stored = entry.dataField != NoDataField;
        if ((key < DataFileKeyCount) != stored ||
            (stored && (entry.dataField <= previous || entry.page == CountPage::None)))
            return false;
        previous = stored ? entry.dataField : previous;
    }
    return true;
}
static_assert(DataFileKeysComeFirst(), "the data file's keys first, in its order");

// The shifted strokes' columns are "shift" and their key's column, in the
// order of the digit and symbol keys, last of all; nothing else is shifted.
constexpr bool ShiftedKeysComeLast()
{
    for (int key = 0; key < KeyTableSize; ++key) {
        const KeyEntry& entry = KeyTable[key];
        bool shifted = key >= FirstShiftedKey;
        if (shifted != (entry.shiftOf != NoKeyIndex))
            return false;
        if (!shifted)
            continue;
        const KeyEntry& plain = KeyTable[entry.shiftOf];
        if (plain.page != CountPage::DigitsSymbols || entry.virtualKey != plain.virtualKey ||
            entry.column.substr(0, 5) != "shift" || entry.column.substr(5) != plain.column ||
            (key > FirstShiftedKey && entry.shiftOf != KeyTable[key - 1].shiftOf + 1))
            return false;
    }
    return true;
}
static_assert(ShiftedKeysComeLast(), "Shift and each key of the digit and symbol page, last");
