#include <gtest/gtest.h>

#include "capture/counter_table.h"
#include "keys/key_codes.h"

namespace {

std::string Text(const CounterTable& table, const CountedValue& counted)
{
    char text[CountTextSize];
    table.CopyText(counted, text);
    return text;
}

TEST(CounterTable, GroupsHoldTheKeysOfTheJisLayoutInSlotOrder)
{
    CounterTable table;
    EXPECT_EQ(table.LowercaseGroup.size, 26);
    EXPECT_EQ(table.UppercaseGroup.size, 26);
    EXPECT_EQ(table.DigitSymbolGroup.size, 25);
    for (int slot = 0; slot < 26; ++slot) {
        EXPECT_EQ(table.LowercaseGroup.keys[slot].virtualKey, 0x41 + slot);
        EXPECT_EQ(table.UppercaseGroup.keys[slot].virtualKey, 0x41 + slot);
        EXPECT_EQ(table.LowercaseGroup.keys[slot].displaySlot, slot);
    }
    const int digitSymbolKeys[25] = {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39,
                                     0x27, 0x25, 0x26, 0x28,                         // → ← ↑ ↓
                                     0xBB, 0xBA, 0xBC, 0xBE, 0xBF, 0xC0, 0xDC,       // ； ： ， ． / @ \ .
                                     0xBD, 0xDB, 0xDD, 0xDE};                        // - [ ] ^
    for (int slot = 0; slot < 25; ++slot)
        EXPECT_EQ(table.DigitSymbolGroup.keys[slot].virtualKey, digitSymbolKeys[slot]) << "slot " << slot;
}

TEST(CounterTable, TextsAreEmptyUntilFormedThenSecondsHaveTwoDigits)
{
    CounterTable table;
    EXPECT_EQ(Text(table, table.LowercaseGroup.keys[0].count), "") << "a key never counted paints nothing";
    table.ClockSeconds.value = 7;
    table.ClockMinutes.value = 7;
    table.ClockHours.value = 12;
    table.DigitSymbolGroup.keys[24].count.value = 1234;
    table.RefreshCountTexts();
    EXPECT_EQ(Text(table, table.ClockSeconds), "07");
    EXPECT_EQ(Text(table, table.ClockMinutes), "7");
    EXPECT_EQ(Text(table, table.ClockHours), "12");
    EXPECT_EQ(Text(table, table.DigitSymbolGroup.keys[24].count), "1234");
    EXPECT_EQ(Text(table, table.UppercaseGroup.keys[25].count), "0");
    EXPECT_EQ(Text(table, table.StrokesPerHour), "0");
}

TEST(CounterTable, ZeroingClearsTheStoredValuesButNotLatchesOrTexts)
{
    CounterTable table;
    table.LowercaseGroup.keys[4].count.value = 9;
    table.LowercaseGroup.keys[4].latch = 1;
    table.TotalStrokes.value = 9;
    table.ClockHours.value = 3;
    table.RefreshCountTexts();
    table.ZeroStoredValues();
    EXPECT_EQ(table.LowercaseGroup.keys[4].count.value.load(), 0);
    EXPECT_EQ(table.TotalStrokes.value.load(), 0);
    EXPECT_EQ(table.ClockHours.value.load(), 0);
    EXPECT_EQ(table.LowercaseGroup.keys[4].latch, 1);
    EXPECT_EQ(Text(table, table.LowercaseGroup.keys[4].count), "9") << "the caller re-forms the texts";
}

TEST(CounterTable, LargestValuesFitTheirTexts)
{
    CounterTable table;
    table.Publish(table.TotalStrokes, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(Text(table, table.TotalStrokes), "2147483647");
    table.Publish(table.TotalStrokes, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(Text(table, table.TotalStrokes), "-2147483648") << "eleven characters and the NUL";
}

} // namespace
