#pragma once
// The all-time counts of the keys that the data file does not hold: every
// other key of KeyTable and the strokes made with Shift held, slot 0 being
// KeyTable[DataFileKeyCount]. One table for the whole run, as the counter
// table is: the polling thread raises the counts and alone keeps the
// latches and the modifiers; the interface thread loads, zeroes and reads
// the counts.
#include <array>
#include <atomic>
#include <cstdint>

#include "capture/modifier_keys.h"
#include "keys/key_table.h"

constexpr int OtherKeyCount = KeyTableSize - DataFileKeyCount;

// The other keys' counts, by slot.
using OtherCounts = std::array<int64_t, OtherKeyCount>;

class OtherKeyTable {
public:
    OtherKeyTable() = default;
    OtherKeyTable(const OtherKeyTable&) = delete;
    OtherKeyTable& operator=(const OtherKeyTable&) = delete;

    OtherCounts Counts() const;
    int64_t Count(int slot) const { return counts_[slot].load(std::memory_order_relaxed); }
    void Raise(int slot) { counts_[slot].fetch_add(1, std::memory_order_relaxed); }
    // A login's counts, or zeros; latches stay as they are, as the counter
    // table's do.
    void Store(const OtherCounts& counts);
    // Counts of a file read only after counting had started from zero.
    void Add(const OtherCounts& counts);

    // 1 while a key seen pressed waits for its full release.
    std::array<uint8_t, OtherKeyCount> latch{};
    // The modifiers as the last pass that scanned found them.
    ModifierState held;
    AltGrWatch altGr;

private:
    std::array<std::atomic<int64_t>, OtherKeyCount> counts_{};
};

// The other keys of the user who is logged in: the one table of the process.
extern OtherKeyTable OtherKeys;
