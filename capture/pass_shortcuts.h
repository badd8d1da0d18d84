#pragma once
// The shortcuts a polling pass counts: what was held when each key's latch
// armed, and the keys whose strokes the pass counted with Ctrl, Alt or the
// Windows key held then. The polling thread's alone, as the latches are.
//
// A key struck while its modifier is held counts as that shortcut even when
// the modifier is let go before the key (Ctrl down, C down, Ctrl up, C up);
// a key already down when Ctrl goes down is no shortcut. Holding Alt and
// striking Tab three times is Alt+Tab three times.
#include <array>
#include <cstdint>

#include "capture/modifier_keys.h"
#include "capture/shortcut_names.h"

struct ShortcutStroke {
    uint8_t held = 0;         // ShortcutModifier bits
    uint8_t virtualKey = 0;
};

class PassShortcuts {
public:
    // At the start of a pass, with the modifiers it found held; AltGr is
    // neither Ctrl nor Alt but a key's third character.
    void Begin(const ModifierState& modifiers);
    // A key's latch armed in this pass.
    void Armed(uint8_t virtualKey) { heldAtArm_[virtualKey] = heldNow_; }
    // A key's stroke counted in this pass.
    void Counted(uint8_t virtualKey);

    // More in one pass than any hand strikes within 20 ms are let go.
    static constexpr int MaxPerPass = 16;
    int Count() const { return count_; }
    const ShortcutStroke& operator[](int index) const { return struck_[index]; }

private:
    uint8_t heldNow_ = 0;
    std::array<uint8_t, 256> heldAtArm_{};
    std::array<ShortcutStroke, MaxPerPass> struck_{};
    int count_ = 0;
};

inline void PassShortcuts::Begin(const ModifierState& modifiers)
{
    count_ = 0;
    heldNow_ = static_cast<uint8_t>((modifiers.ctrl ? HeldCtrl : 0) | (modifiers.alt ? HeldAlt : 0) |
                                    (modifiers.shift ? HeldShift : 0) | (modifiers.win ? HeldWin : 0));
}

inline void PassShortcuts::Counted(uint8_t virtualKey)
{
    const uint8_t held = heldAtArm_[virtualKey];
    // Shift, struck while Ctrl is held, is a stroke of its own but no shortcut.
    if (IsShortcut(held) && count_ < MaxPerPass && !KeyCapName(virtualKey).empty())
        struck_[count_++] = {held, virtualKey};
}
