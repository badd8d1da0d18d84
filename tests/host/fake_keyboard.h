#pragma once
// A keyboard scripted pass by pass, for the scan and the stress test.
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "keys/key_codes.h"
#include "capture/key_scan.h"

class FakeKeyboard final : public KeyboardPort {
public:
    bool capsLock = false;
    bool shift = false;
    std::set<int> down;            // keys down now (bit 15)
    std::set<int> pressedSince;    // bit 0, cleared by the query as the platform does
    std::vector<int> queried;      // every key queried, in order
    std::vector<PixelRect> invalidated;
    // GetLastInputInfo: answered when tellsLastInput, with a tick that every
    // key change moves.
    bool tellsLastInput = false;
    uint32_t inputTick = 0;
    int lastInputQueries = 0;
    // Wine's copy of the key table: a press made at pass p with a lag of n
    // stays unseen (the key reads as up, its "pressed since" bit kept) by
    // queries before pass p + n. The test tells the pass.
    int pass = 0;
    std::map<int, int> unseenBefore;

    int capsReads = 0;

    bool CapsLockToggled() override
    {
        ++capsReads;
        return capsLock;
    }

    std::optional<uint32_t> LastInputTick() override
    {
        ++lastInputQueries;
        return tellsLastInput ? std::optional<uint32_t>(inputTick) : std::nullopt;
    }

    int16_t AsyncKeyState(int virtualKey) override
    {
        queried.push_back(virtualKey);
        if (auto hidden = unseenBefore.find(virtualKey); hidden != unseenBefore.end()) {
            if (pass < hidden->second)
                return 0;
            unseenBefore.erase(hidden);
        }
        if (virtualKey == KeyShift)   // either Shift key
            return shift || down.count(KeyLeftShift) || down.count(KeyRightShift) ? static_cast<int16_t>(0x8000) : 0;
        int16_t state = 0;
        if (down.count(virtualKey))
            state |= static_cast<int16_t>(0x8000);
        if (pressedSince.erase(virtualKey))
            state |= 0x0001;
        return state;
    }

    void Invalidate(const PixelRect& rect) override { invalidated.push_back(rect); }

    // A key goes down (and is thereby pressed since the last query), seen
    // by queries from lag passes on.
    void Press(int key, int lag = 0)
    {
        down.insert(key);
        pressedSince.insert(key);
        Unseen(key, lag);
        ++inputTick;
    }
    void Release(int key)
    {
        down.erase(key);
        ++inputTick;
    }
    // Down and up again between two passes.
    void Tap(int key, int lag = 0)
    {
        pressedSince.insert(key);
        down.erase(key);
        Unseen(key, lag);
        ++inputTick;
    }

private:
    void Unseen(int key, int lag)
    {
        if (lag > 0)
            unseenBefore[key] = pass + lag;
    }
};
