#pragma once
// A keyboard scripted pass by pass, for the scan and the stress test.
#include <map>
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

    bool CapsLockToggled() override { return capsLock; }

    int16_t AsyncKeyState(int virtualKey) override
    {
        queried.push_back(virtualKey);
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

    // A key goes down (and is thereby pressed since the last query).
    void Press(int key)
    {
        down.insert(key);
        pressedSince.insert(key);
    }
    void Release(int key) { down.erase(key); }
    // Down and up again between two passes.
    void Tap(int key)
    {
        pressedSince.insert(key);
        down.erase(key);
    }
};
