#include "capture/counter_table.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <limits>

#include "win/decimal_text.h"

namespace {

// Each slot of a page holds one key, and the slots of a page follow one
// another from 0: the scan walks a group's first size slots.
constexpr bool SlotsFillTheirPages()
{
    int keysOnPage[3] = {};
    int highestSlot[3] = {-1, -1, -1};
    for (const KeyEntry& key : KeyTable) {
        if (key.page == CountPage::None)
            continue;
        int page = static_cast<int>(key.page);
        if (key.slot < 0 || key.slot >= SlotCount)
            return false;
        for (const KeyEntry& other : KeyTable) {
            if (&other != &key && other.page == key.page && other.slot == key.slot)
                return false;
        }
        ++keysOnPage[page];
        highestSlot[page] = key.slot > highestSlot[page] ? key.slot : highestSlot[page];
    }
    for (int page = 0; page < 3; ++page) {
        if (highestSlot[page] + 1 != keysOnPage[page])
            return false;
    }
    return true;
}
static_assert(SlotsFillTheirPages(), "one key a slot, from slot 0 on");

void FormatCountText(int32_t value, TextForm form, char (&out)[CountTextSize])
{
    char text[DecimalTextSize];
    char* end = WriteDecimal(text, value, form == TextForm::TwoDigits ? 2 : 1);
    std::memcpy(out, text, static_cast<std::size_t>(end - text) + 1);   // any 32-bit value fits, with its NUL
}

} // namespace

void SharedRect::Store(const PixelRect& rect)
{
    left_.store(rect.left, std::memory_order_relaxed);
    top_.store(rect.top, std::memory_order_relaxed);
    right_.store(rect.right, std::memory_order_relaxed);
    bottom_.store(rect.bottom, std::memory_order_relaxed);
}

PixelRect SharedRect::Load() const
{
    return {left_.load(std::memory_order_relaxed), top_.load(std::memory_order_relaxed),
            right_.load(std::memory_order_relaxed), bottom_.load(std::memory_order_relaxed)};
}

KeyCounter* CounterGroup::FindKey(int virtualKey)
{
    for (int slot = 0; slot < size; ++slot) {
        if (keys[slot].virtualKey == virtualKey)
            return &keys[slot];
    }
    return nullptr;
}

CounterTable::CounterTable()
{
    for (const KeyEntry& key : KeyTable) {
        if (key.page == CountPage::None)
            continue;
        CounterGroup& group = Group(key.page);
        group.keys[key.slot].virtualKey = key.virtualKey;
        group.keys[key.slot].displaySlot = key.slot;
        group.size = std::max(group.size, key.slot + 1);
    }
}

CounterGroup& CounterTable::Group(CountPage page)
{
    return page == CountPage::Lowercase ? LowercaseGroup
           : page == CountPage::Uppercase ? UppercaseGroup
                                          : DigitSymbolGroup;
}

void CounterTable::RefreshText(CountedValue& counted, TextForm form)
{
    std::lock_guard<std::mutex> guard(TextLock);
    FormatCountText(counted.value.load(), form, counted.text);
}

void CounterTable::Publish(CountedValue& counted, int32_t value, TextForm form)
{
    counted.value.store(value);
    RefreshText(counted, form);
}

void CounterTable::CopyText(const CountedValue& counted, char (&out)[CountTextSize]) const
{
    std::lock_guard<std::mutex> guard(TextLock);
    std::memcpy(out, counted.text, CountTextSize);
}

void CounterTable::RefreshCountTexts()
{
    for (CounterGroup* group : {&LowercaseGroup, &UppercaseGroup, &DigitSymbolGroup}) {
        for (int slot = 0; slot < group->size; ++slot)
            RefreshText(group->keys[slot].count);
    }
    RefreshText(TotalStrokes);
    RefreshText(ClockSeconds, TextForm::TwoDigits);
    RefreshText(ClockMinutes);
    RefreshText(ClockHours);
    RefreshText(StrokesPerHour);
}

void CounterTable::ZeroStoredValues()
{
    std::lock_guard<std::mutex> guard(ClockLock);
    for (CounterGroup* group : {&LowercaseGroup, &UppercaseGroup, &DigitSymbolGroup}) {
        for (int slot = 0; slot < group->size; ++slot)
            group->keys[slot].count.value.store(0);
    }
    for (CountedValue* counted : {&TotalStrokes, &ClockSeconds, &ClockMinutes, &ClockHours, &StrokesPerHour})
        counted->value.store(0);
}

int32_t RaiseCount(std::atomic<int32_t>& value)
{
    int32_t current = value.load();
    while (current < std::numeric_limits<int32_t>::max() &&
           !value.compare_exchange_weak(current, current + 1)) {
    }
    return current < std::numeric_limits<int32_t>::max() ? current + 1 : current;
}

CounterTable Counters;
