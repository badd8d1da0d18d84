#include "capture/key_scan.h"

#include "keys/key_codes.h"

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
}

// Letters arm on "pressed since the last query", so a tap that goes down and
// up between two passes still counts; digits and symbols arm only on "down
// now". Either way the stroke counts once the key is found fully up.
void ScanGroup(CounterTable& table, CounterGroup& group, int16_t armingBit, KeyboardPort& port)
{
    for (int slot = 0; slot < group.size; ++slot) {
        KeyCounter& key = group.keys[slot];
        int16_t state = port.AsyncKeyState(key.virtualKey);
        if (key.latch == 0) {
            if (state & armingBit)
                key.latch = 1;
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
    ScanGroup(table, table.DigitSymbolGroup, DownNow, port);
}

void ForgetEarlierPresses(KeyboardPort& port)
{
    for (int letter = 0; letter < LetterCount; ++letter)
        port.AsyncKeyState(KeyLetterA + letter);
}

bool ScanPass(CounterTable& table, KeyboardPort& port)
{
    bool capsLock = port.CapsLockToggled();
    bool shift = port.AsyncKeyState(KeyShift) < 0;
    if (capsLock == shift)
        ScanLowercase(table, port);
    else
        ScanUppercase(table, port);
    // While Shift is held no digit or symbol key is even queried.
    if (!shift)
        ScanDigitsSymbols(table, port);
    return shift;
}
