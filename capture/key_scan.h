#pragma once
// One polling pass over the keyboard: which groups are scanned under Caps Lock
// and Shift, when a key's latch is armed, and when its stroke is counted.
// The keyboard and the screen are reached through KeyboardPort, so that the
// same pass runs against the real keyboard and against scripted key states.
#include <cstdint>
#include <optional>

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
    // GetLastInputInfo: the tick count of the last input of any key or the
    // mouse; nullopt where it cannot be told (every pass then scans).
    virtual std::optional<uint32_t> LastInputTick() { return std::nullopt; }
};

void ScanLowercase(CounterTable& table, KeyboardPort& port);
void ScanUppercase(CounterTable& table, KeyboardPort& port);
void ScanDigitsSymbols(CounterTable& table, KeyboardPort& port);

// Run once when polling starts: reads every key of the count pages once, so
// that a press made while nothing polled (before the start, or while a
// dialog had counting stopped) is not taken for a press since the last pass.
// A key held at that moment is not armed by it; an armed latch is kept and
// counts on release.
void ForgetEarlierPresses(KeyboardPort& port);

// Whether Shift is held: GetAsyncKeyState(VK_SHIFT), either Shift key.
bool ShiftHeld(KeyboardPort& port);

// The scans that Caps Lock and Shift select, as read at the start of the pass:
//   Caps Lock off, no Shift: lowercase, then digits and symbols
//   Caps Lock off, Shift:    uppercase
//   Caps Lock on,  no Shift: uppercase, then digits and symbols
//   Caps Lock on,  Shift:    lowercase
void ScanPages(CounterTable& table, KeyboardPort& port, bool capsLock, bool shiftHeld);

// Reads Caps Lock and Shift and runs the scans that they select. Returns
// whether Shift was held.
bool ScanPass(CounterTable& table, KeyboardPort& port);
