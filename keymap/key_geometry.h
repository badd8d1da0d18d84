#pragma once
// The JIS 106/109 keyboard that the key map draws: every key's place and size
// in quarter units (4 = one letter key, so that all positions are exact), its
// legend, and the counted values it shows.
//
// The counted values are addressed by their key's place in KeyTable, which
// is the history's key index.
#include <array>
#include <cstdint>
#include <span>

#include "history/history_file.h"
#include "keys/key_table.h"
#include "store/user_record.h"

constexpr int KeyMapValueCount = HistoryKeyCount;
using KeyCounts = std::array<uint64_t, KeyMapValueCount>;

constexpr int QuartersPerUnit = 4;
constexpr int MainBlockWidth = 60;       // 15 units: the digit row
constexpr int KeyboardWidth = 74;        // the main block, half a unit, three arrows
constexpr int KeyboardHeight = 20;       // five rows
constexpr int KeyboardKeyCount = 69;

struct QuarterRect {
    int16_t x = 0, y = 0, width = 0, height = 0;
    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
};

enum class LetterMode { Lowercase, Uppercase, Both };
constexpr LetterMode DefaultLetterMode = LetterMode::Both;

struct KeyCap {
    const char* legend = "";   // code page 932, short enough for the key
    QuarterRect face;
    // Enter's lower part, directly below the face and flush with its right
    // edge; zero width on every other key.
    QuarterRect lowerPart;
    uint8_t virtualKey = 0;    // of a counted key, else 0
    // The KeyTable indices shown: a letter has its lowercase and uppercase
    // value, another counted key one value, the rest none.
    int8_t values[2] = {NoKeyIndex, NoKeyIndex};

    bool IsCounted() const { return values[0] != NoKeyIndex; }
    bool IsLetter() const { return values[1] != NoKeyIndex; }
    int Row() const { return face.y / QuartersPerUnit; }
};

// Row by row from the top, each row left to right; the up arrow ends row 3,
// the other arrows row 4.
std::span<const KeyCap> KeyboardKeys();

// The value a key stands for: a letter's lowercase, uppercase or both counts
// added (saturating); false for a key that is not counted.
bool KeyValue(const KeyCap& key, const KeyCounts& counts, LetterMode mode, uint64_t& value);

// The largest value of any key: the top of the colour scale.
uint64_t HighestKeyValue(const KeyCounts& counts, LetterMode mode);


