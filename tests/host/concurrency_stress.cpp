// The counter table shared as the program shares it: a polling thread
// counting strokes, the interface thread painting texts and saving, and a
// load that replaces the values meanwhile. Meant for ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "capture/other_key_scan.h"
#include "store/user_record.h"

namespace {

// Taps every letter and digit in turn: down in one pass, up in the next.
class TappingKeyboard final : public KeyboardPort {
public:
    bool CapsLockToggled() override { return false; }
    int16_t AsyncKeyState(int virtualKey) override
    {
        if (virtualKey == 0x10)
            return 0;
        bool down = (pass_ % 2) == 0 && (virtualKey == current_ || virtualKey == 0x20);   // and Space
        return down ? static_cast<int16_t>(0x8001) : 0;
    }
    void Invalidate(const PixelRect&) override {}

    void NextPass()
    {
        ++pass_;
        if (pass_ % 2 == 0)
            current_ = current_ == 'Z' ? '0' : current_ == '9' ? 'A' : current_ + 1;
    }

private:
    int pass_ = 0;
    int current_ = 'A';
};

bool IsWholeDecimal(const char* text)
{
    std::size_t length = std::strlen(text);
    if (length == 0 || length >= CountTextSize)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

TEST(ConcurrencyStress, CountingPaintingSavingAndLoadingShareTheTable)
{
    CounterTable table;
    OtherKeyTable others;
    table.RefreshCountTexts();
    std::atomic<bool> stop{false};
    constexpr int Passes = 200000;

    std::thread polling([&] {
        TappingKeyboard keyboard;
        for (int pass = 0; pass < Passes; ++pass) {
            ScanEveryKey(table, others, keyboard);
            keyboard.NextPass();
        }
        stop = true;
    });

    // Painting: every text copied out must be a whole "%d" of some value.
    std::atomic<int> tornTexts{0};
    std::thread painting([&] {
        while (!stop) {
            char text[CountTextSize];
            for (int slot = 0; slot < LetterCount; ++slot) {
                table.CopyText(table.LowercaseGroup.keys[slot].count, text);
                if (!IsWholeDecimal(text))
                    ++tornTexts;
            }
            table.CopyText(table.TotalStrokes, text);
            if (!IsWholeDecimal(text))
                ++tornTexts;
        }
    });

    // Saving and, once, loading new values over the counting.
    std::thread saving([&] {
        RecordImage image;
        bool loaded = false;
        while (!stop) {
            FormatRecordTexts(CollectStoredValues(table), image);
            others.Counts();
            if (!loaded) {
                others.Store(OtherCounts{});
                StoredValues values{};
                values.fill(1000);
                ApplyStoredValues(table, values);
                table.RefreshCountTexts();
                loaded = true;
            }
        }
    });

    polling.join();
    painting.join();
    saving.join();

    EXPECT_EQ(tornTexts.load(), 0);
    // Every stroke was counted once, on top of the loaded 1000s or before them:
    // a count never fell below what the load put in.
    for (int slot = 0; slot < LetterCount; ++slot)
        EXPECT_GE(table.LowercaseGroup.keys[slot].count.value.load(), 1000);
    int64_t sum = 0;
    for (CounterGroup* group : {&table.LowercaseGroup, &table.DigitSymbolGroup}) {
        for (int slot = 0; slot < group->size; ++slot)
            sum += group->keys[slot].count.value.load();
    }
    EXPECT_GT(sum, 0);
}

} // namespace
