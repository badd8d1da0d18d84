#include "capture/other_key_scan.h"

namespace {

constexpr int16_t DownNow = static_cast<int16_t>(0x8000);
constexpr int16_t PressedSinceLastQuery = 0x0001;

constexpr int LeftCtrlKey = KeyIndexOf("ctrl");
constexpr int RightCtrlKey = KeyIndexOf("rightctrl");
constexpr int LeftAltKey = KeyIndexOf("alt");
constexpr int RightAltKey = KeyIndexOf("rightalt");
constexpr int LeftWinKey = KeyIndexOf("win");
constexpr int RightWinKey = KeyIndexOf("rightwin");
static_assert(RightCtrlKey == LeftCtrlKey + 1 && LeftAltKey == LeftCtrlKey + 2 && RightAltKey == LeftCtrlKey + 3 &&
                  LeftWinKey == LeftCtrlKey + 4 && RightWinKey == LeftCtrlKey + 5,
              "the six modifier keys side by side, as ReadModifiers steps them");
constexpr int ModifierKeyCount = 6;

constexpr bool IsModifierKey(int key) { return key >= LeftCtrlKey && key < LeftCtrlKey + ModifierKeyCount; }

int16_t CodeState(int code, KeyboardPort& port)
{
    int16_t state = port.AsyncKeyState(code);
    return code == KeyKana ? static_cast<int16_t>(state & PressedSinceLastQuery) : state;
}

// Down if any code of the key is: an input method changes the code that
// 英数, 半角/全角 and カタカナ/ひらがな send.
int16_t KeyState(const KeyEntry& key, KeyboardPort& port)
{
    int16_t state = CodeState(key.virtualKey, port);
    for (uint8_t code : key.alsoSends) {
        if (code != 0)
            state |= CodeState(code, port);
    }
    return state;
}

// One key's latch step; true when its stroke is complete.
bool StrokeEnds(uint8_t& latch, int16_t state)
{
    if (latch == 0) {
        latch = (state & (DownNow | PressedSinceLastQuery)) != 0;
        return false;
    }
    if (state != 0)
        return false;
    latch = 0;
    return true;
}

void CountOther(OtherKeyTable& others, CounterTable& table, int slot)
{
    others.Raise(slot);
    ++table.passStrokes;
}

// StrokeEnds for a key that may be struck as a shortcut: the pass learns
// what was held when it armed, and counts it.
bool ShortcutKeyStrokeEnds(uint8_t& latch, int16_t state, uint8_t virtualKey, PassShortcuts& shortcuts)
{
    const bool idle = latch == 0;
    const bool ends = StrokeEnds(latch, state);
    if (idle && latch != 0)
        shortcuts.Armed(virtualKey);
    if (ends)
        shortcuts.Counted(virtualKey);
    return ends;
}

uint8_t& LatchOf(OtherKeyTable& others, int key) { return others.latch[key - DataFileKeyCount]; }

} // namespace

ModifierState ReadModifiers(OtherKeyTable& others, CounterTable& table, KeyboardPort& port, bool shiftHeld)
{
    bool armedNow[ModifierKeyCount];
    bool ended[ModifierKeyCount];
    for (int i = 0; i < ModifierKeyCount; ++i) {
        uint8_t& latch = LatchOf(others, LeftCtrlKey + i);
        const bool idle = latch == 0;
        ended[i] = StrokeEnds(latch, KeyState(KeyTable[LeftCtrlKey + i], port));
        armedNow[i] = idle && latch != 0;
    }
    // Judged once both keys were asked for: a left Ctrl that ends in this
    // pass may be one that AltGr sent with a right Alt first seen now.
    others.altGr.Observe(armedNow[0], armedNow[RightAltKey - LeftCtrlKey]);
    for (int i = 0; i < ModifierKeyCount; ++i) {
        if (!ended[i])
            continue;
        const bool altGrs = i == 0 && others.altGr.LeftCtrlIsAltGrs();
        if (i == 0)
            others.altGr.LeftCtrlEnded();
        if (!altGrs)
            CountOther(others, table, LeftCtrlKey + i - DataFileKeyCount);
    }
    auto armed = [&](int key) { return LatchOf(others, key) != 0; };
    ModifierState held;
    held.shift = shiftHeld;
    const bool altGrsCtrl = others.altGr.LeftCtrlIsAltGrs();
    held.altGr = armed(RightAltKey) && altGrsCtrl;
    held.ctrl = (armed(LeftCtrlKey) && !altGrsCtrl) || armed(RightCtrlKey);
    held.alt = armed(LeftAltKey) || (armed(RightAltKey) && !held.altGr);
    held.win = armed(LeftWinKey) || armed(RightWinKey);
    return held;
}

void ScanOtherKeys(OtherKeyTable& others, CounterTable& table, KeyboardPort& port, const ModifierState& held)
{
    for (int key = DataFileKeyCount; key < FirstShiftedKey; ++key) {
        if (IsModifierKey(key))
            continue;
        if (ShortcutKeyStrokeEnds(LatchOf(others, key), KeyState(KeyTable[key], port), KeyTable[key].virtualKey,
                                  table.passShortcuts))
            CountOther(others, table, key - DataFileKeyCount);
    }
    for (int key = FirstShiftedKey; key < KeyTableSize; ++key) {
        const int slot = key - DataFileKeyCount;
        uint8_t& latch = others.latch[slot];
        // A key that the pages' scan has armed is theirs until they count it,
        // and is not even queried: their count waits for a query that finds
        // it fully up, which a query of ours could hasten.
        const bool pagesArmed = table.Counter(KeyTable[KeyTable[key].shiftOf]).latch != 0;
        if (held.shift && !pagesArmed) {
            const uint8_t code = KeyTable[key].virtualKey;
            if (ShortcutKeyStrokeEnds(latch, port.AsyncKeyState(code), code, table.passShortcuts))
                CountOther(others, table, slot);
            continue;
        }
        // Without Shift the pages' scan has just queried the key, and armed
        // it if it was down or pressed: a stroke begun with Shift is then
        // theirs, or over. The two latches are never armed together.
        if (latch != 0 && !pagesArmed) {
            CountOther(others, table, slot);
            table.passShortcuts.Counted(KeyTable[key].virtualKey);
        }
        latch = 0;
    }
}

void ForgetEarlierOtherPresses(CounterTable& table, KeyboardPort& port)
{
    for (int key = DataFileKeyCount; key < KeyTableSize; ++key) {
        if (key < FirstShiftedKey || table.Counter(KeyTable[KeyTable[key].shiftOf]).latch == 0)
            KeyState(KeyTable[key], port);
    }
}

int ScanEveryKey(CounterTable& table, OtherKeyTable& others, KeyboardPort& port)
{
    table.passStrokes = 0;
    const bool capsLock = port.CapsLockToggled();
    const bool shiftHeld = ShiftHeld(port);
    others.held = ReadModifiers(others, table, port, shiftHeld);
    table.passShortcuts.Begin(others.held);
    ScanPages(table, port, capsLock, shiftHeld);
    ScanOtherKeys(others, table, port, others.held);
    return table.passStrokes;
}

bool AnyLatchArmed(const CounterTable& table, const OtherKeyTable& others)
{
    for (const CounterGroup* group : {&table.LowercaseGroup, &table.UppercaseGroup, &table.DigitSymbolGroup}) {
        for (int slot = 0; slot < group->size; ++slot) {
            if (group->keys[slot].latch != 0)
                return true;
        }
    }
    for (uint8_t latch : others.latch) {
        if (latch != 0)
            return true;
    }
    return false;
}
