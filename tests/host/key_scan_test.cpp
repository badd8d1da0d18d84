#include <gtest/gtest.h>

#include <limits>

#include "fake_keyboard.h"

namespace {

int32_t Count(const CounterGroup& group, int slot) { return group.keys[slot].count.value.load(); }

class KeyScanTest : public ::testing::Test {
protected:
    CounterTable table;
    FakeKeyboard keyboard;

    void SetUp() override
    {
        for (int slot = 0; slot < SlotCount; ++slot)
            table.DisplaySlot[slot].Store({slot, 0, slot + 10, 10});
        table.TotalRect.Store({500, 500, 600, 520});
    }

    void Pass(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            ScanPass(table, keyboard);
    }

    // Press in one pass, release before the next, as a person types.
    void Stroke(int key)
    {
        keyboard.Press(key);
        Pass();
        keyboard.Release(key);
        Pass();
    }

    int32_t Total() const { return table.TotalStrokes.value.load(); }
};

TEST_F(KeyScanTest, StrokeCountsOnceOnReleaseWithTextsAndRepaints)
{
    keyboard.Press('A');
    Pass();
    EXPECT_EQ(Count(table.LowercaseGroup, 0), 0) << "nothing is counted while the key is down";
    keyboard.Release('A');
    Pass();

    EXPECT_EQ(Count(table.LowercaseGroup, 0), 1);
    EXPECT_EQ(Total(), 1);
    char text[CountTextSize];
    table.CopyText(table.LowercaseGroup.keys[0].count, text);
    EXPECT_STREQ(text, "1");
    table.CopyText(table.TotalStrokes, text);
    EXPECT_STREQ(text, "1");
    ASSERT_EQ(keyboard.invalidated.size(), 2u);
    EXPECT_EQ(keyboard.invalidated[0], (PixelRect{0, 0, 10, 10})) << "slot 0, then the total";
    EXPECT_EQ(keyboard.invalidated[1], (PixelRect{500, 500, 600, 520}));
}

TEST_F(KeyScanTest, CapsLockAndShiftChooseTheLetterGroup)
{
    struct Case {
        bool capsLock, shift;
        bool countsUppercase;
    } cases[] = {
        {false, false, false},  // plain: lowercase
        {false, true, true},    // Shift: uppercase
        {true, false, true},    // Caps Lock: uppercase
        {true, true, false},    // Caps Lock and Shift: lowercase again
    };
    for (const Case& c : cases) {
        CounterTable fresh;
        FakeKeyboard keys;
        keys.capsLock = c.capsLock;
        keys.shift = c.shift;
        keys.Press('A');
        ScanPass(fresh, keys);
        keys.Release('A');
        ScanPass(fresh, keys);
        EXPECT_EQ(Count(fresh.UppercaseGroup, 0), c.countsUppercase ? 1 : 0) << c.capsLock << c.shift;
        EXPECT_EQ(Count(fresh.LowercaseGroup, 0), c.countsUppercase ? 0 : 1) << c.capsLock << c.shift;
    }
}

TEST_F(KeyScanTest, WhileShiftIsHeldNoDigitOrSymbolIsEvenQueried)
{
    keyboard.shift = true;
    keyboard.Press('1');
    Pass();
    keyboard.Release('1');
    Pass(3);
    EXPECT_EQ(Count(table.DigitSymbolGroup, 1), 0);
    for (int key : keyboard.queried)
        EXPECT_FALSE(key >= '0' && key <= '9') << "queried " << key;
}

TEST_F(KeyScanTest, DigitUnderShiftCountsOnlyIfShiftIsReleasedWhileItIsStillDown)
{
    keyboard.shift = true;
    keyboard.Press('1');
    Pass();
    keyboard.shift = false;   // Shift up first: the digit is seen down, then up
    Pass();
    keyboard.Release('1');
    Pass();
    EXPECT_EQ(Count(table.DigitSymbolGroup, 1), 1);
}

TEST_F(KeyScanTest, KeyHeldManyPassesCountsOnceAfterRelease)
{
    keyboard.Press('5');
    Pass(150);   // three seconds of polling, auto-repeat and all
    EXPECT_EQ(Count(table.DigitSymbolGroup, 5), 0);
    keyboard.Release('5');
    Pass(3);
    EXPECT_EQ(Count(table.DigitSymbolGroup, 5), 1);
    EXPECT_EQ(Total(), 1);
}

TEST_F(KeyScanTest, TapBetweenTwoPassesCountsForEveryKeyOfThePages)
{
    struct Case {
        int key;
        const CounterGroup& group;
        int slot;
    } cases[] = {
        {'B', table.LowercaseGroup, 1},          // a letter
        {'2', table.DigitSymbolGroup, 2},        // a digit: "pressed since" arms it too
        {KeyLeft, table.DigitSymbolGroup, 11},   // an arrow
        {KeyOem1, table.DigitSymbolGroup, 15},   // the colon key
    };
    for (const Case& c : cases) {
        keyboard.Tap(c.key);
        Pass(2);
        EXPECT_EQ(Count(c.group, c.slot), 1) << "key " << c.key;
    }
    EXPECT_EQ(Total(), 4);
}

TEST_F(KeyScanTest, DigitTappedAndShiftLetGoBetweenTwoPassesCountsUnshifted)
{
    keyboard.shift = true;
    Pass();
    keyboard.Tap('3');   // nobody asked for it while Shift was held
    keyboard.shift = false;
    Pass(2);
    EXPECT_EQ(Count(table.DigitSymbolGroup, 3), 1);
}

TEST_F(KeyScanTest, LetterStillDownWhenShiftIsReleasedCountsAsUppercaseLater)
{
    keyboard.shift = true;
    keyboard.Press('C');
    Pass();   // uppercase C armed
    keyboard.shift = false;
    Pass();   // lowercase scanned: C still down, lowercase not armed (bit 0 was consumed)
    keyboard.Release('C');
    Pass(2);
    EXPECT_EQ(Count(table.UppercaseGroup, 2), 0) << "the uppercase group is not scanned without Shift";
    EXPECT_EQ(Count(table.LowercaseGroup, 2), 0);
    keyboard.shift = true;
    Pass();
    EXPECT_EQ(Count(table.UppercaseGroup, 2), 1);
    EXPECT_EQ(Total(), 1);
}

TEST_F(KeyScanTest, PunctuationAndArrowsCountInTheirSlots)
{
    struct Case {
        int key;
        int slot;
    } cases[] = {
        {KeyRight, 10}, {KeyLeft, 11}, {KeyUp, 12}, {KeyDown, 13},
        {KeyOemPlus, 14},   // the semicolon key on JIS
        {KeyOem1, 15},      // the colon key
        {KeyOemComma, 16}, {KeyOemPeriod, 17}, {KeyOem2, 18},
        {KeyOem3, 19},      // the at-sign key
        {KeyOem5, 20}, {KeyOemMinus, 21}, {KeyOem4, 22}, {KeyOem6, 23}, {KeyOem7, 24},
    };
    for (const Case& c : cases)
        Stroke(c.key);
    for (const Case& c : cases)
        EXPECT_EQ(Count(table.DigitSymbolGroup, c.slot), 1) << "key " << c.key;
    EXPECT_EQ(Total(), 15);
}

TEST_F(KeyScanTest, KeysOutsideTheGroupsAreNeverCounted)
{
    const int others[] = {0x20 /*space*/, 0x0D /*enter*/, 0x08 /*backspace*/, 0x70 /*F1*/,
                          0x60 /*numpad 0*/, KeyShift, 0x11 /*ctrl*/, 0x12 /*alt*/, KeyCapsLock};
    for (int key : others)
        Stroke(key);
    EXPECT_EQ(Total(), 0);
    for (int key : keyboard.queried) {
        bool counted = (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') || table.DigitSymbolGroup.FindKey(key);
        EXPECT_TRUE(counted || key == KeyShift) << "queried " << key;
    }
}

TEST_F(KeyScanTest, SameSlotServesThreeKeysButTheyNeverShareACount)
{
    Stroke('K');                         // lowercase k, slot 10
    keyboard.shift = true;
    Stroke('K');                         // uppercase K, slot 10
    keyboard.shift = false;
    Stroke(KeyRight);                    // right arrow, slot 10
    EXPECT_EQ(Count(table.LowercaseGroup, 10), 1);
    EXPECT_EQ(Count(table.UppercaseGroup, 10), 1);
    EXPECT_EQ(Count(table.DigitSymbolGroup, 10), 1);
    EXPECT_EQ(Total(), 3);
    int slotTen = 0;
    for (const PixelRect& rect : keyboard.invalidated)
        slotTen += rect == PixelRect{10, 0, 20, 10};
    EXPECT_EQ(slotTen, 3);
}

TEST_F(KeyScanTest, ArmedLatchSurvivesAResetAndCountsOnTopOfZero)
{
    Stroke('D');
    Stroke('D');
    keyboard.Press('D');
    Pass();                              // armed
    table.ZeroStoredValues();
    table.RefreshCountTexts();
    keyboard.Release('D');
    Pass();
    EXPECT_EQ(Count(table.LowercaseGroup, 3), 1);
    EXPECT_EQ(Total(), 1);
}

TEST_F(KeyScanTest, PressesMadeWhilePollingWasStoppedAreForgottenAtTheStart)
{
    keyboard.Press('E');
    Pass();                              // armed before the stop
    keyboard.Tap('A');                   // typed while a dialog had counting stopped
    keyboard.Tap('7');
    keyboard.Tap(KeyDown);
    keyboard.Press('B');                 // pressed meanwhile and still down at the start
    ForgetEarlierPresses(keyboard);
    keyboard.Release('E');
    Pass();
    keyboard.Release('B');
    Pass(2);
    EXPECT_EQ(Count(table.LowercaseGroup, 0), 0) << "a";
    EXPECT_EQ(Count(table.LowercaseGroup, 1), 0) << "b";
    EXPECT_EQ(Count(table.DigitSymbolGroup, 7), 0) << "7";
    EXPECT_EQ(Count(table.DigitSymbolGroup, 13), 0) << "down arrow";
    EXPECT_EQ(Count(table.LowercaseGroup, 4), 1) << "the armed e still counts on its release";
    EXPECT_EQ(Total(), 1);
}

TEST_F(KeyScanTest, CountsSaturateInsteadOfWrapping)
{
    table.LowercaseGroup.keys[0].count.value = std::numeric_limits<int32_t>::max();
    table.TotalStrokes.value = std::numeric_limits<int32_t>::max();
    Stroke('A');
    EXPECT_EQ(Count(table.LowercaseGroup, 0), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(Total(), std::numeric_limits<int32_t>::max());
}

TEST_F(KeyScanTest, EmptyRectanglesBeforeLayoutAreStillPassedOn)
{
    CounterTable unlaidOut;
    FakeKeyboard keys;
    keys.Press('A');
    ScanPass(unlaidOut, keys);
    keys.Release('A');
    ScanPass(unlaidOut, keys);
    ASSERT_EQ(keys.invalidated.size(), 2u);
    EXPECT_TRUE(keys.invalidated[0].IsEmpty()) << "the port ignores them; counting goes on";
    EXPECT_EQ(Count(unlaidOut.LowercaseGroup, 0), 1);
}

} // namespace
