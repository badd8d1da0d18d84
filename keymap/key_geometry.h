#pragma once
// The full-size JIS 109 keyboard that the key map draws: every key's place
// and size in quarter units (4 = one letter key, so that all positions are
// exact), its legend, and the counted values it shows.
//
// From the top: Esc and the F row with their gaps, Print Screen, Scroll Lock
// and Pause; half a unit lower the main block, the editing block (Insert Home
// PageUp / Delete End PageDown) over the arrows, and the numeric keypad.
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
constexpr int MainBlockTop = 6;          // the F row and half a unit below it
constexpr int EditingBlockLeft = 62;     // half a unit right of the main block
constexpr int KeypadLeft = 76;           // three keys and half a unit further
constexpr int KeyboardWidth = 92;        // 23 units
constexpr int KeyboardHeight = 26;       // the F row, the gap, five rows
constexpr int KeyboardKeyCount = 109;

struct QuarterRect {
    int8_t x = 0, y = 0, width = 0, height = 0;   // the board is 92 quarters wide
    constexpr int Right() const { return x + width; }
    constexpr int Bottom() const { return y + height; }
};

// What the map shows of the keys: the letters' lowercase, uppercase or both
// (every other key its own count, a digit or symbol its strokes without
// Shift, as the count pages count them), or every stroke of each key.
enum class MapMode { Lowercase, Uppercase, Both, AllStrokes };
constexpr MapMode DefaultMapMode = MapMode::Both;

struct KeyCap {
    const char* legend = "";        // code page 932, short enough for the key
    // Where the legend cannot be drawn legibly in the key (the tab at 100 %),
    // a shorter one; empty for keys whose legend always is.
    const char* shortLegend = "";
    // The keypad's + and Enter are two rows high.
    QuarterRect face;
    // Enter's lower part, directly below the face and flush with its right
    // edge; zero width on every other key.
    QuarterRect lowerPart;
    // The KeyTable indices shown: a key's own strokes (a letter's lowercase,
    // a digit's or symbol's without Shift), and a letter's uppercase or a
    // digit's or symbol's with Shift; NoKeyIndex for none. The keypad's Enter
    // has none: polling sees it as Enter, which counts its strokes.
    int16_t values[2] = {NoKeyIndex, NoKeyIndex};
    bool letter = false;

    bool IsCounted() const { return values[0] != NoKeyIndex; }
};

// Row by row from the top, each row left to right across the three blocks.
std::span<const KeyCap> KeyboardKeys();

// The value a key stands for in a mode (sums saturate); false for a key
// that is not counted.
bool KeyValue(const KeyCap& key, const KeyCounts& counts, MapMode mode, uint64_t& value);

// The largest value of any key: the top of the colour scale.
uint64_t HighestKeyValue(const KeyCounts& counts, MapMode mode);

// The keys of KeyboardKeys() by their place in it.
using KeySelection = std::array<bool, KeyboardKeyCount>;

// The keys that a drawing of after shows otherwise than one of before, in
// one mode: those whose value changed, and those whose colour on the scale
// changed as its top moved (most keep theirs when it moves a little).
KeySelection KeysDrawnOtherwise(const KeyCounts& before, const KeyCounts& after, MapMode mode);
