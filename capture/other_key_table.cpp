#include "capture/other_key_table.h"

OtherCounts OtherKeyTable::Counts() const
{
    OtherCounts counts;
    for (int slot = 0; slot < OtherKeyCount; ++slot)
        counts[slot] = Count(slot);
    return counts;
}

void OtherKeyTable::Store(const OtherCounts& counts)
{
    for (int slot = 0; slot < OtherKeyCount; ++slot)
        counts_[slot].store(counts[slot], std::memory_order_relaxed);
}

void OtherKeyTable::Add(const OtherCounts& counts)
{
    for (int slot = 0; slot < OtherKeyCount; ++slot)
        counts_[slot].fetch_add(counts[slot], std::memory_order_relaxed);
}

OtherKeyTable OtherKeys;
