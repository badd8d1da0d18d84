#pragma once
// One polling pass over the keyboard: which groups are scanned under Caps Lock
// and Shift, when a key's latch is armed, and when its stroke is counted.
// The keyboard and the screen are reached through KeyboardPort, so that the
// same pass runs against the real keyboard and against scripted key states.
#include <cstdint>

#include "capture/counter_table.h"

class KeyboardPort {
public:
    virtual ~KeyboardPort() = default;
    // Bit 0 of GetKeyState(VK_CAPITAL).
    virtual bool CapsLockToggled() = 0;
    // GetAsyncKeyState: bit 15 = down now, bit 0 = pressed since the last query.
    virtual int16_t AsyncKeyState(int virtualKey) = 0;
    // Marks a main-window rectangle for repainting, without erasing.
    virtual void Invalidate(const PixelRect& rect) = 0;
};

void ScanLowercase(CounterTable& table, KeyboardPort& port);
void ScanUppercase(CounterTable& table, KeyboardPort& port);
void ScanDigitsSymbols(CounterTable& table, KeyboardPort& port);

// Run once when polling starts: reads every letter key once, so that a press
// made while nothing polled (before the start, or while a dialog had counting
// stopped) is not taken for a press since the last pass. A key held at that
// moment is not armed either; an armed latch is kept and counts on release.
void ForgetEarlierPresses(KeyboardPort& port);

// Reads Caps Lock and Shift and runs the scans that they select:
//   Caps Lock off, no Shift: lowercase, then digits and symbols
//   Caps Lock off, Shift:    uppercase
//   Caps Lock on,  no Shift: uppercase, then digits and symbols
//   Caps Lock on,  Shift:    lowercase
// Returns whether Shift was held.
bool ScanPass(CounterTable& table, KeyboardPort& port);
