#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "capture/other_key_scan.h"
#include "fake_keyboard.h"

namespace {

int64_t CountOf(CounterTable& table, const OtherKeyTable& others, int key)
{
    return key < DataFileKeyCount ? table.Counter(KeyTable[key]).count.value.load()
                                  : others.Count(key - DataFileKeyCount);
}

// A key by its column name ("space", "1", "a"), or a code of its own ("#F3").
int CodeOf(const std::string& name)
{
    if (name[0] == '#')
        return std::stoi(name.substr(1), nullptr, 16);
    int key = KeyIndexOf(name);
    EXPECT_NE(key, NoKeyIndex) << name;
    return key == NoKeyIndex ? 0 : KeyTable[key].virtualKey;
}

struct StrokeCase {
    const char* what;
    std::vector<const char*> passes;   // what happens before each pass: +key down, -key up, ~key a tap, caps
    const char* counts;                // "column=count ..."; every other key 0
};

// Left Shift is "shift"; a digit pressed with Shift held counts as "shiftN".
const StrokeCase StrokeCases[] = {
    {"space, seen down, then up", {"+space", "-space"}, "space=1"},
    {"backspace tapped between two passes", {"~backspace", ""}, "backspace=1"},
    {"enter held for three seconds", {"+enter", "", "", "", "", "-enter"}, "enter=1"},
    {"tab twice", {"+tab", "-tab", "+tab", "-tab"}, "tab=2"},
    {"left Shift alone", {"+shift", "-shift"}, "shift=1"},
    {"right Shift with a: uppercase", {"+rightshift", "+a", "-a", "-rightshift"}, "rightshift=1 A=1"},
    {"Ctrl+C", {"+ctrl", "+c", "-c", "-ctrl"}, "ctrl=1 c=1"},
    {"space and enter overlapping", {"+space", "+enter", "-space", "-enter"}, "space=1 enter=1"},
    {"Shift held around 1", {"+shift", "+1", "-1", "-shift", ""}, "shift=1 shift1=1"},
    {"Shift held, 1 tapped between passes", {"+shift", "~1", "-shift"}, "shift=1 shift1=1"},
    {"Shift held, 1 held long", {"+shift", "+1", "", "", "", "-1", "-shift"}, "shift=1 shift1=1"},
    {"Shift held, ← twice: a selection", {"+shift", "+left", "-left", "+left", "-left", "-shift"},
     "shift=1 shiftleft=2"},
    {"Shift let go while 1 is down: unshifted", {"+shift", "+1", "-shift", "-1", ""}, "shift=1 1=1"},
    {"Shift let go and 1 down in one interval", {"+shift", "+1 -shift", "-1"}, "shift=1 1=1"},
    {"1 and Shift up in one interval: shifted", {"+shift", "+1", "-1 -shift", ""}, "shift=1 shift1=1"},
    {"1 down before Shift: unshifted", {"+1", "+shift", "-1", "-shift", ""}, "shift=1 1=1"},
    {"Shift up for a pass while 1 is down", {"+shift", "+1", "-shift", "+shift", "-1", "-shift", ""},
     "shift=2 1=1"},
    {"1, then Shift+1 before the pages counted it: one lost", {"+1", "-1 +shift", "+1", "-1", "-shift", ""},
     "shift=1 1=1"},
    {"Caps Lock on, Shift and 1", {"caps +shift", "+1", "-1", "-shift"}, "shift=1 shift1=1"},
    {"Caps Lock on, Shift and a: lowercase", {"caps +shift", "+a", "-a", "-shift"}, "shift=1 a=1"},
    {"英数 as Caps Lock, then as an input method's code", {"+#14", "-#14", "+#F0", "-#F0"}, "eisu=2"},
    {"半角/全角 sending one code, then the other", {"+#F3", "-#F3", "+#F4", "-#F4"}, "hankaku=2"},
    {"カタカナ/ひらがな changing its code while down", {"+#F2", "+#F1", "-#F2", "", "-#F1"}, "kana=1"},
    {"a digit on the keypad and the main 1", {"+num1", "-num1", "+1", "-1"}, "num1=1 1=1"},
};

TEST(OtherKeyScan, StrokesGiveTheirCounts)
{
    for (const StrokeCase& c : StrokeCases) {
        SCOPED_TRACE(c.what);
        CounterTable table;
        OtherKeyTable others;
        FakeKeyboard keyboard;
        for (const char* pass : c.passes) {
            std::istringstream actions(pass);
            for (std::string action; actions >> action;) {
                if (action == "caps") {
                    keyboard.capsLock = !keyboard.capsLock;
                    continue;
                }
                int code = CodeOf(action.substr(1));
                if (action[0] == '+')
                    keyboard.Press(code);
                else if (action[0] == '-')
                    keyboard.Release(code);
                else
                    keyboard.Tap(code);
            }
            ScanEveryKey(table, others, keyboard);
        }
        ScanEveryKey(table, others, keyboard);
        std::vector<int64_t> expected(KeyTableSize, 0);
        std::istringstream counts(c.counts);
        for (std::string pair; counts >> pair;)
            expected[KeyIndexOf(pair.substr(0, pair.find('=')))] = std::stoi(pair.substr(pair.find('=') + 1));
        for (int key = 0; key < KeyTableSize; ++key)
            EXPECT_EQ(CountOf(table, others, key), expected[key]) << KeyTable[key].column;
        EXPECT_EQ(table.TotalStrokes.value.load(),
                  std::accumulate(expected.begin(), expected.begin() + DataFileKeyCount, int64_t{0}));
    }
}

TEST(OtherKeyScan, PressesMadeWhilePollingWasStoppedAreForgotten)
{
    CounterTable table;
    OtherKeyTable others;
    FakeKeyboard keyboard;
    keyboard.Press(CodeOf("enter"));
    ScanEveryKey(table, others, keyboard);   // armed before the stop
    keyboard.Tap(CodeOf("space"));           // typed while a dialog had counting stopped
    ForgetEarlierOtherPresses(table, keyboard);
    keyboard.Release(CodeOf("enter"));
    ScanEveryKey(table, others, keyboard);
    ScanEveryKey(table, others, keyboard);
    EXPECT_EQ(others.Count(KeyIndexOf("space") - DataFileKeyCount), 0);
    EXPECT_EQ(others.Count(KeyIndexOf("enter") - DataFileKeyCount), 1) << "an armed latch counts on release";
}

// A seeded walk of presses and releases of keys of every kind: the pages'
// scans ask the same questions and count the same strokes, pass by pass, as
// they would alone, and every letter is asked for once a pass, by them; the
// other keys count each stroke once, and a digit or symbol key never counts
// one stroke twice (unshifted and shifted).
TEST(OtherKeyScan, PagesCountAsAloneAndNoStrokeCountsTwice)
{
    const char* names[] = {"a", "k", "1", "2", "left", "colon", "space", "enter", "shift", "rightshift", "kana"};
    for (unsigned seed = 1; seed <= 100; ++seed) {
        std::mt19937 random(seed);
        CounterTable alone, table;
        OtherKeyTable others;
        FakeKeyboard aloneKeyboard, keyboard;
        std::vector<int> presses(KeyTableSize, 0);
        auto pass = [&](int number) {
            aloneKeyboard.queried.clear();
            keyboard.queried.clear();
            ScanPass(alone, aloneKeyboard);
            ScanEveryKey(table, others, keyboard);
            ASSERT_TRUE(std::equal(aloneKeyboard.queried.begin(), aloneKeyboard.queried.end(), keyboard.queried.begin()))
                << "seed " << seed << " pass " << number;
            int letterQueries[LetterCount] = {};
            for (int key : keyboard.queried)
                letterQueries[key - KeyLetterA] += key >= KeyLetterA && key < KeyLetterA + LetterCount;
            ASSERT_EQ(std::count(std::begin(letterQueries), std::end(letterQueries), 1), LetterCount);
            for (int key = 0; key < DataFileKeyCount; ++key)
                ASSERT_EQ(table.Counter(KeyTable[key]).count.value.load(), alone.Counter(KeyTable[key]).count.value.load())
                    << "seed " << seed << " pass " << number << " " << KeyTable[key].column;
        };
        for (int number = 0; number < 400; ++number) {
            if (random() % 2 == 0) {
                int key = KeyIndexOf(names[random() % std::size(names)]);
                int code = KeyTable[key].virtualKey;
                bool up = keyboard.down.count(code) == 0;
                presses[key] += up;
                for (FakeKeyboard* each : {&aloneKeyboard, &keyboard})
                    up ? each->Press(code) : each->Release(code);
            }
            if (random() % 60 == 0)
                aloneKeyboard.capsLock = keyboard.capsLock = !keyboard.capsLock;
            pass(number);
        }
        aloneKeyboard.down.clear();
        keyboard.down.clear();
        for (int number = 0; number < 3; ++number)
            pass(number);
        for (int key = DataFileKeyCount; key < FirstShiftedKey; ++key)
            EXPECT_EQ(CountOf(table, others, key), presses[key]) << "seed " << seed << " " << KeyTable[key].column;
        for (int shifted = FirstShiftedKey; shifted < KeyTableSize; ++shifted) {
            int plain = KeyTable[shifted].shiftOf;
            EXPECT_LE(CountOf(table, others, plain) + CountOf(table, others, shifted), presses[plain])
                << "seed " << seed << " " << KeyTable[plain].column;
        }
    }
}

} // namespace
