#pragma once
// A keyboard that answers every query at once from a table, for measuring the
// scan without the platform: the key in `down` is down now and was pressed
// since the last query.
#include <benchmark/benchmark.h>

#include "capture/other_key_scan.h"

class TableKeyboard final : public KeyboardPort {
public:
    int down = -1;
    bool CapsLockToggled() override { return false; }
    int16_t AsyncKeyState(int virtualKey) override
    {
        return virtualKey == down ? static_cast<int16_t>(0x8001) : 0;
    }
    void Invalidate(const PixelRect& rect) override { benchmark::DoNotOptimize(rect); }
};
