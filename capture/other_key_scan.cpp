#include "capture/other_key_scan.h"

namespace {

constexpr int16_t DownNow = static_cast<int16_t>(0x8000);
constexpr int16_t PressedSinceLastQuery = 0x0001;

// Down if any code of the key is: an input method changes the code that
// 英数, 半角/全角 and カタカナ/ひらがな send.
int16_t KeyState(const KeyEntry& key, KeyboardPort& port)
{
    int16_t state = port.AsyncKeyState(key.virtualKey);
    for (uint8_t code : key.alsoSends) {
        if (code != 0)
            state |= port.AsyncKeyState(code);
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

} // namespace

void ScanOtherKeys(OtherKeyTable& others, CounterTable& table, KeyboardPort& port, bool shiftHeld)
{
    for (int key = DataFileKeyCount; key < FirstShiftedKey; ++key) {
        if (StrokeEnds(others.latch[key - DataFileKeyCount], KeyState(KeyTable[key], port)))
            others.Raise(key - DataFileKeyCount);
    }
    for (int key = FirstShiftedKey; key < KeyTableSize; ++key) {
        const int slot = key - DataFileKeyCount;
        uint8_t& latch = others.latch[slot];
        // A key that the pages' scan has armed is theirs until they count it,
        // and is not even queried: their count waits for a query that finds
        // it fully up, which a query of ours could hasten.
        const bool pagesArmed = table.Counter(KeyTable[KeyTable[key].shiftOf]).latch != 0;
        if (shiftHeld && !pagesArmed) {
            if (StrokeEnds(latch, port.AsyncKeyState(KeyTable[key].virtualKey)))
                others.Raise(slot);
            continue;
        }
        // Without Shift the pages' scan has just queried the key, and armed
        // it if it was down: a stroke begun with Shift is then theirs, or
        // over. The two latches are never armed together.
        if (latch != 0 && !pagesArmed)
            others.Raise(slot);
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

void ScanEveryKey(CounterTable& table, OtherKeyTable& others, KeyboardPort& port)
{
    bool shiftHeld = ScanPass(table, port);
    ScanOtherKeys(others, table, port, shiftHeld);
}
