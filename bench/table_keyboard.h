#pragma once
// A keyboard that answers every query at once from a table, for measuring the
// scan without the platform: the key in `down` is down now and was pressed
// since the last query. It counts the questions asked of it, and tells the
// last input's time, which moves each time `down` changes.
#include <benchmark/benchmark.h>

#include "capture/key_poller.h"

class TableKeyboard final : public KeyboardPort {
public:
    int down = -1;
    long questions = 0;

    bool CapsLockToggled() override
    {
        ++questions;
        return false;
    }
    int16_t AsyncKeyState(int virtualKey) override
    {
        ++questions;
        return virtualKey == down ? static_cast<int16_t>(0x8001) : 0;
    }
    void Invalidate(const PixelRect& rect) override { benchmark::DoNotOptimize(rect); }
    std::optional<uint32_t> LastInputTick() override
    {
        ++questions;
        if (down != lastDown_) {
            lastDown_ = down;
            ++inputTick_;
        }
        return inputTick_;
    }

private:
    int lastDown_ = -1;
    uint32_t inputTick_ = 0;
};
