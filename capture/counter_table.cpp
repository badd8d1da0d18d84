#include "capture/counter_table.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <limits>

#include "capture/key_codes.h"

namespace {

// The digit and symbol keys in slot order; slot 25 stays empty.
constexpr uint8_t DigitSymbolKeys[DigitSymbolCount] = {
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39,
    KeyRight, KeyLeft, KeyUp, KeyDown,
    KeyOemPlus, KeyOem1, KeyOemComma, KeyOemPeriod, KeyOem2, KeyOem3,
    KeyOem5, KeyOemMinus, KeyOem4, KeyOem6, KeyOem7,
};

void FillLetters(CounterGroup& group)
{
    group.size = LetterCount;
    for (int slot = 0; slot < LetterCount; ++slot) {
        group.keys[slot].virtualKey = static_cast<uint8_t>(KeyLetterA + slot);
        group.keys[slot].displaySlot = slot;
    }
}

void FormatCountText(int32_t value, TextForm form, char (&out)[CountTextSize])
{
    std::snprintf(out, sizeof out, form == TextForm::TwoDigits ? "%02d" : "%d",
                  static_cast<int>(value));
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
    FillLetters(LowercaseGroup);
    FillLetters(UppercaseGroup);
    DigitSymbolGroup.size = DigitSymbolCount;
    for (int slot = 0; slot < DigitSymbolCount; ++slot) {
        DigitSymbolGroup.keys[slot].virtualKey = DigitSymbolKeys[slot];
        DigitSymbolGroup.keys[slot].displaySlot = slot;
    }
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
