#pragma once
// A pass as the polling thread makes it: the input gate first
// (input_gate.h), then, where it asks for one, a whole scan
// (ScanEveryKey). A pass that the gate finds quiet asks Windows one
// question, or none. A pass that scans asks each key at most once, and:
//
// - while no input has come since the last pass (Settling), a key that the
//   last pass found down is not asked again: it is still down; after input,
//   such keys are asked first (under Wine, the answer for a key down comes
//   from Wine's server with the whole key table, which then answers the
//   other keys);
// - the Caps Lock toggle is read only where it may have changed: at the
//   first scan after quiet passes, when the Caps Lock key shows a press or
//   is down, and at least every CapsReadScans-th scan. The key is asked for
//   first, before the pages' scans, and its answer serves the pass.
//
// Under Wine each of those questions is a trip to Wine's server (a key
// found down is never answered from the thread's copy of the key table).
#include <array>
#include <cstdint>

#include "capture/input_gate.h"
#include "capture/other_key_scan.h"

class KeyPoller {
public:
    static constexpr int CapsReadScans = 50;

    // One pass; nowMs: a steady clock of the polling thread. Returns the
    // strokes it counted.
    int Pass(CounterTable& table, OtherKeyTable& others, KeyboardPort& port, int64_t nowMs);

private:
    friend class PassKeyboard;

    InputGate gate_;
    uint32_t scan_ = 2;                       // the scan in progress, or the next: none before it
    std::array<uint32_t, 256> foundDown_{};   // by key code: the scan that last found it down
    bool scannedLastPass_ = false;
    bool capsKnown_ = false;
    bool capsLock_ = false;
    int scansSinceCapsRead_ = 0;
};
