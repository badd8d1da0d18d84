#include "capture/key_scan.h"

#include "keys/key_codes.h"
#include "keys/key_table.h"

namespace {

constexpr int16_t DownNow = static_cast<int16_t>(0x8000);
constexpr int16_t PressedSinceLastQuery = 0x0001;

void CountStroke(CounterTable& table, KeyCounter& key, KeyboardPort& port)
{
    RaiseCount(key.count.value);
    key.latch = 0;
    table.RefreshText(key.count);
    port.Invalidate(table.DisplaySlot[key.displaySlot].Load());
    RaiseCount(table.TotalStrokes.value);
    table.RefreshText(table.TotalStrokes);
    port.Invalidate(table.TotalRect.Load());
    ++table.passStrokes;
    table.passShortcuts.Counted(key.virtualKey);
}

// A key arms on "pressed since the last query" (a tap that went down and up
// between two passes) or, for the digits and symbols, also on "down now";
// its stroke counts once the key is found fully up.
void ScanGroup(CounterTable& table, CounterGroup& group, int16_t armingBit, KeyboardPort& port)
{
    for (int slot = 0; slot < group.size; ++slot) {
        KeyCounter& key = group.keys[slot];
        int16_t state = port.AsyncKeyState(key.virtualKey);
        if (key.latch == 0) {
            if (state & armingBit) {
                key.latch = 1;
                table.passShortcuts.Armed(key.virtualKey);
            }
        } else if (state == 0) {
            CountStroke(table, key, port);
        }
    }
}

} // namespace

void ScanLowercase(CounterTable& table, KeyboardPort& port)
{
    ScanGroup(table, table.LowercaseGroup, PressedSinceLastQuery, port);
}

void ScanUppercase(CounterTable& table, KeyboardPort& port)
{
    ScanGroup(table, table.UppercaseGroup, PressedSinceLastQuery, port);
}

void ScanDigitsSymbols(CounterTable& table, KeyboardPort& port)
{
    // Either bit: a digit tapped between two passes is a stroke like a
    // letter's. Only the letters' "pressed since" bit is shared between the
    // two groups that ask for the same keys.
    ScanGroup(table, table.DigitSymbolGroup, DownNow | PressedSinceLastQuery, port);
}

void ForgetEarlierPresses(KeyboardPort& port)
{
    for (int letter = 0; letter < LetterCount; ++letter)
        port.AsyncKeyState(KeyLetterA + letter);
    for (const KeyEntry& key : KeyTable) {
        if (key.page == CountPage::DigitsSymbols)
            port.AsyncKeyState(key.virtualKey);
    }
}

bool ShiftHeld(KeyboardPort& port) { return port.AsyncKeyState(KeyShift) < 0; }

void ScanPages(CounterTable& table, KeyboardPort& port, bool capsLock, bool shiftHeld)
{
    if (capsLock == shiftHeld)
        ScanLowercase(table, port);
    else
        ScanUppercase(table, port);
    // While Shift is held no digit or symbol key is even queried.
    if (!shiftHeld)
        ScanDigitsSymbols(table, port);
}

bool ScanPass(CounterTable& table, KeyboardPort& port)
{
    bool capsLock = port.CapsLockToggled();
    bool shift = ShiftHeld(port);
    ScanPages(table, port, capsLock, shift);
    return shift;
}
