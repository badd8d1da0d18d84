#pragma once
// The names of shortcuts, as the history of shortcuts (shortcuts.csv) and
// the windows show them: the modifiers held when the key went down, in the
// order Ctrl, Alt, Shift, Win, then the key as its cap names it in English:
// "Ctrl+C", "Ctrl+Shift+Z", "Alt+Tab", "Alt+F4", "Ctrl+Shift+Esc", "Win+E".
// A name says which keys were struck, never what was typed with them.
#include <cstdint>
#include <string>
#include <string_view>

// What was held when a key went down; either Ctrl is Ctrl, and so on.
enum ShortcutModifier : uint8_t {
    HeldCtrl = 1,
    HeldAlt = 2,
    HeldShift = 4,
    HeldWin = 8,
};

// A key struck while Ctrl, Alt or the Windows key is held is a shortcut;
// Shift alone is the case of a letter, not a shortcut.
constexpr bool IsShortcut(uint8_t held) { return (held & (HeldCtrl | HeldAlt | HeldWin)) != 0; }

// The key's name on its cap ("C", "7", "Tab", "F4", "Num+", "Yen"); empty for
// a modifier key itself (Ctrl, Alt, Shift, Windows), which makes no shortcut
// of its own, and for a code Kivora does not count.
std::string_view KeyCapName(uint8_t virtualKey);

// The shortcut's name; empty when it is none (not IsShortcut, or a key
// without a name).
std::string ShortcutName(uint8_t held, uint8_t virtualKey);
