#pragma once
// The keys that the count pages leave out, scanned in each pass beside the
// pages' own scans (key_scan.h) and counted into an OtherKeyTable:
//
// - every other key of KeyTable arms on either bit (down now, or pressed
//   since the last query: nothing else in Kivora asks for these keys, so a
//   tap between two passes is not lost) and counts once every code it sends
//   is found up; a held key counts once. VK_KANA, one of the codes of
//   カタカナ/ひらがな, is a lock on a JIS keyboard: Windows keeps it down
//   while kana lock is on, so only its "pressed since" bit counts;
// - the modifier keys (both Ctrl, Alt and Windows keys) are asked for first
//   in the pass, before the pages' keys, so that the pass knows which are
//   held (ModifierState); a left Ctrl that AltGr sends is not counted
//   (modifier_keys.h);
// - a digit, arrow or punctuation key struck while Shift is held, which the
//   pages' scan does not even query then, counts as its shifted stroke. A
//   key that the pages' scan arms (down before Shift, or still down when
//   Shift is let go) is theirs and counts unshifted: one stroke, one count.
//   While they have it armed it is not queried at all, so that their counts
//   are what they would be alone; a stroke with Shift that comes before
//   they have counted the last one (which waits for Shift to be let go) is
//   not counted.
//
// The letters are never queried: their scans arm on "pressed since the last
// query", which any query clears.
#include "capture/key_scan.h"
#include "capture/other_key_table.h"

// Asks for the modifier keys, steps their latches and counts their strokes;
// shiftHeld is what the pass read for Shift. Returns what is held.
ModifierState ReadModifiers(OtherKeyTable& others, CounterTable& table, KeyboardPort& port, bool shiftHeld);

// The other keys but the modifiers; held: what ReadModifiers found.
void ScanOtherKeys(OtherKeyTable& others, CounterTable& table, KeyboardPort& port, const ModifierState& held);

// Run once when polling starts, after ForgetEarlierPresses and for the same
// reason: presses made while nothing polled are not counted. A key that the
// pages' scan has armed is left to it.
void ForgetEarlierOtherPresses(CounterTable& table, KeyboardPort& port);

// A whole scan: Caps Lock, Shift, the modifiers, the pages' scans, then the
// other keys'. Returns the strokes it counted.
int ScanEveryKey(CounterTable& table, OtherKeyTable& others, KeyboardPort& port);

// Whether a key of the pages or another key waits for its release.
bool AnyLatchArmed(const CounterTable& table, const OtherKeyTable& others);
