#pragma once
// Whether a polling pass asks for the keys at all. A key changes only with
// input, and Windows tells in one question when the last input came (any key
// or the mouse: GetLastInputInfo). A pass that finds that time where an
// earlier pass left it asks for no key: a key pressed and let go meanwhile
// would have moved it, and the "pressed since the last query" bit of a key
// that nobody asked for stays set until a pass asks.
//
// After a change, passes go on asking until one TailMs or more after the
// pass that saw it (Settling): Wine answers a key query from a copy of the
// key table kept by the thread for up to 50 ms, so a press can show only in
// the third pass after it, and its stroke count in the fourth; on Windows,
// whose clock ticks every 15.6 ms, two inputs within one tick give one time.
// Those passes need not ask again for a key found down: it stays down until
// some input. While a key waits for its release, a quiet pass still asks
// now and then (every LatchCheckPasses-th): a release that was not noted as
// input, or that a late pass saw only after the tail, is counted all the
// same.
//
// Under Wine the question is a trip to Wine's server, which costs a pass
// about as much as its wake-up. So once nothing has come for LongQuietMs,
// only every QuietAskPasses-th pass asks it: the first stroke after a long
// pause is seen up to that many passes later, not lost (its bit waits).
//
// States: Input (the time moved, or is unknown) -> Settling (until the tail
// is over) -> Quiet (asking every pass) -> long quiet (asking every
// QuietAskPasses-th pass) -> Input.
#include <cstdint>

#include "capture/key_scan.h"

class InputGate {
public:
    static constexpr int64_t TailMs = 80;
    static constexpr int LatchCheckPasses = 25;   // half a second
    static constexpr int64_t LongQuietMs = 2000;
    static constexpr int QuietAskPasses = 4;

    enum class Verdict {
        Quiet,        // ask for no key
        Input,        // ask for every key
        Settling,     // ask for every key not found down since
        LatchCheck,   // ask for every key, if one waits for its release
    };

    // Once a pass; nowMs: a steady clock of the polling thread. Asks the
    // port for the last input's time when it wants to.
    Verdict Next(KeyboardPort& port, int64_t nowMs);

private:
    bool known_ = false;          // lastInput_ holds a time read by a pass
    uint32_t lastInput_ = 0;
    int64_t changeSeenMs_ = 0;    // the pass that saw it change
    bool tailScanned_ = false;    // a pass TailMs or more after it has scanned
    int quietPasses_ = 0;
};
