#pragma once
// The one in-memory data model: every counted key with its latch, count and
// count text, the total, the uptime clock and the strokes per hour, and the
// main-window rectangles through which a change is made visible.
//
// Two threads share it. Values are atomic. Texts are re-formed from the value
// under TextLock and copied out under it, so a painter never sees half of one.
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "capture/pass_shortcuts.h"
#include "keys/key_table.h"
#include "paint/pixel_geometry.h"

constexpr int CountTextSize = 12;      // "%d" of any 32-bit value, and the NUL
constexpr int SlotCount = 26;          // display slots per page
constexpr int LetterCount = 26;

// A rectangle written by the interface thread and read by the polling thread.
class SharedRect {
public:
    void Store(const PixelRect& rect);
    PixelRect Load() const;

private:
    std::atomic<int32_t> left_{0}, top_{0}, right_{0}, bottom_{0};
};

// A 32-bit value with its display text.
struct CountedValue {
    std::atomic<int32_t> value{0};
    char text[CountTextSize] = {};   // guarded by CounterTable::TextLock
};

struct KeyCounter {
    uint8_t virtualKey = 0;
    int16_t latch = 0;               // 1 = seen pressed, waiting for the full release
    CountedValue count;
    int displaySlot = 0;
};

// The keys of one count page (KeyTable), by slot.
struct CounterGroup {
    std::array<KeyCounter, SlotCount> keys;
    int size = 0;                    // 26, or 25 for the digits and symbols

    KeyCounter* FindKey(int virtualKey);
};

enum class TextForm { Plain, TwoDigits };   // "%d", "%02d"

class CounterTable {
public:
    CounterTable();
    CounterTable(const CounterTable&) = delete;
    CounterTable& operator=(const CounterTable&) = delete;

    CounterGroup LowercaseGroup;
    CounterGroup UppercaseGroup;
    CounterGroup DigitSymbolGroup;

    // The group of a count page; page is not CountPage::None.
    CounterGroup& Group(CountPage page);
    // The counter of a key of the table that has a count page.
    KeyCounter& Counter(const KeyEntry& key) { return Group(key.page).keys[key.slot]; }

    CountedValue TotalStrokes;
    CountedValue ClockSeconds;
    CountedValue ClockMinutes;
    CountedValue ClockHours;
    CountedValue StrokesPerHour;

    // The strokes of every key that the polling pass in progress has
    // counted, for the strokes per program; the polling thread's alone, as
    // the latches are.
    int passStrokes = 0;
    // And the shortcuts among them, by name (pass_shortcuts.h).
    PassShortcuts passShortcuts;

    // Main-window client pixels; empty until the windows that show the
    // texts have been laid out, so that nothing is invalidated before then.
    std::array<SharedRect, SlotCount> DisplaySlot;
    SharedRect TotalRect, HoursRect, MinutesRect, SecondsRect, RateRect;

    mutable std::mutex TextLock;
    // Held by each step of the uptime clock and by a zeroing, so that the two
    // never interleave (taken before TextLock, never after it).
    std::mutex ClockLock;

    // Re-forms one text from the value as it stands now.
    void RefreshText(CountedValue& counted, TextForm form = TextForm::Plain);
    // Sets a value and re-forms its text.
    void Publish(CountedValue& counted, int32_t value, TextForm form = TextForm::Plain);
    // Copies a text out whole.
    void CopyText(const CountedValue& counted, char (&out)[CountTextSize]) const;

    // Re-forms all 82 texts: "%02d" for the seconds, "%d" for the rest.
    void RefreshCountTexts();
    // Zeroes the 82 stored values under ClockLock; latches and texts stay as
    // they are.
    void ZeroStoredValues();
};

// The counts of the user who is logged in: the one table of the process.
extern CounterTable Counters;

// Raises a count by one, saturating at the largest 32-bit value. A
// compare-and-swap, so that a value loaded meanwhile by the other thread is
// raised rather than overwritten.
int32_t RaiseCount(std::atomic<int32_t>& value);
