#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <sstream>

#include "capture/other_key_scan.h"
#include "fake_keyboard.h"

namespace {

int64_t CountOf(CounterTable& table, const OtherKeyTable& others, int key)
{
    return key < DataFileKeyCount ? table.Counter(KeyTable[key]).count.value.load()
                                  : others.Count(key - DataFileKeyCount);
}

// What happens before each pass: +key goes down, -key up, ~key is tapped
// between two passes, caps toggles Caps Lock, stop stops polling and starts
// it again. A key is its column ("space", "1", "shift" the left one) or a
// code of its own ("#F3"). Then every key's count by column, the rest 0.
struct StrokeCase {
    std::vector<const char*> passes;
    const char* counts;
};

const StrokeCase StrokeCases[] = {
    {{"+space", "-space"}, "space=1"},                                   // seen down, then up
    {{"~backspace", ""}, "backspace=1"},                                 // a tap between two passes
    {{"+enter", "", "", "", "", "-enter"}, "enter=1"},                   // held: once
    {{"+rightshift", "+a", "-a", "-rightshift"}, "rightshift=1 A=1"},    // the right Shift, for A
    {{"+ctrl", "+c", "-c", "-ctrl"}, "ctrl=1 c=1"},                      // Ctrl+C
    {{"+space", "+enter", "-space", "-enter"}, "space=1 enter=1"},       // two keys overlapping
    {{"+shift", "+1", "-1", "-shift", ""}, "shift=1 shift1=1"},          // ! as typed
    {{"+shift", "~1", "-shift"}, "shift=1 shift1=1"},                    // ! tapped between passes
    {{"+shift", "+1", "", "", "", "-1", "-shift"}, "shift=1 shift1=1"},  // ! held
    {{"+shift", "+left", "-left", "+left", "-left", "-shift"}, "shift=1 shiftleft=2"},   // a selection
    {{"+shift", "+1", "-shift", "-1", ""}, "shift=1 1=1"},               // Shift let go first: the pages' 1
    {{"+shift", "+1 -shift", "-1"}, "shift=1 1=1"},                      // ... in the interval 1 went down
    {{"+shift", "+1", "-1 -shift", ""}, "shift=1 shift1=1"},             // both up in one interval: !
    {{"+1", "+shift", "-1", "-shift", ""}, "shift=1 1=1"},               // 1 down before Shift: the pages'
    {{"+shift", "+1", "-shift", "+shift", "-1", "-shift", ""}, "shift=2 1=1"},   // Shift up a pass: the pages'
    {{"+1", "-1 +shift", "+1", "-1", "-shift", ""}, "shift=1 1=1"},      // ! before the pages counted 1: lost
    {{"caps +shift", "+1", "-1", "-shift"}, "shift=1 shift1=1"},         // Caps Lock changes nothing for !
    {{"+#14", "-#14", "+#F0", "-#F0"}, "eisu=2"},                        // 英数 as Caps Lock, then as the IME's
    {{"+#F3", "-#F3", "+#F4", "-#F4"}, "hankaku=2"},                     // 半角/全角 sends either code
    {{"+#F2", "+#F1", "-#F2", "", "-#F1"}, "kana=1"},                    // a code changed while down: once
    {{"+enter", "~space stop -enter", ""}, "enter=1"},                   // stopped: a tap is forgotten, an armed key counts
};

TEST(OtherKeyScan, StrokesGiveTheirCounts)
{
    for (std::size_t row = 0; row < std::size(StrokeCases); ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        CounterTable table;
        OtherKeyTable others;
        FakeKeyboard keyboard;
        for (const char* pass : StrokeCases[row].passes) {
            std::istringstream actions(pass);
            for (std::string action; actions >> action;) {
                if (action == "caps" || action == "stop") {
                    action == "caps" ? void(keyboard.capsLock = !keyboard.capsLock)
                                     : ForgetEarlierOtherPresses(table, keyboard);
                    continue;
                }
                std::string name = action.substr(1);
                int code = name[0] == '#' ? std::stoi(name.substr(1), nullptr, 16) : KeyTable[KeyIndexOf(name)].virtualKey;
                action[0] == '+' ? keyboard.Press(code) : action[0] == '-' ? keyboard.Release(code) : keyboard.Tap(code);
            }
            ScanEveryKey(table, others, keyboard);
        }
        ScanEveryKey(table, others, keyboard);
        std::vector<int64_t> expected(KeyTableSize, 0);
        std::istringstream counts(StrokeCases[row].counts);
        for (std::string pair; counts >> pair;)
            expected[KeyIndexOf(pair.substr(0, pair.find('=')))] = std::stoi(pair.substr(pair.find('=') + 1));
        for (int key = 0; key < KeyTableSize; ++key)
            EXPECT_EQ(CountOf(table, others, key), expected[key]) << KeyTable[key].column;
        EXPECT_EQ(table.TotalStrokes.value.load(),
                  std::accumulate(expected.begin(), expected.begin() + DataFileKeyCount, int64_t{0}));
    }
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
            auto& asked = keyboard.queried;
            ASSERT_TRUE(std::equal(aloneKeyboard.queried.begin(), aloneKeyboard.queried.end(), asked.begin()));
            ASSERT_EQ(std::count_if(asked.begin(), asked.end(), [](int key) { return key >= 'A' && key <= 'Z'; }), 26);
            for (int key = 0; key < DataFileKeyCount; ++key)
                ASSERT_EQ(CountOf(table, others, key), alone.Counter(KeyTable[key]).count.value.load())
                    << "seed " << seed << " pass " << number << " " << KeyTable[key].column;
        };
        for (int number = 0; number < 400; ++number) {
            if (random() % 2 == 0) {
                int key = KeyIndexOf(names[random() % std::size(names)]);
                bool up = keyboard.down.count(KeyTable[key].virtualKey) == 0;
                presses[key] += up;
                for (FakeKeyboard* each : {&aloneKeyboard, &keyboard})
                    up ? each->Press(KeyTable[key].virtualKey) : each->Release(KeyTable[key].virtualKey);
            }
            if (random() % 60 == 0)
                aloneKeyboard.capsLock = keyboard.capsLock = !keyboard.capsLock;
            pass(number);
        }
        aloneKeyboard.down.clear();
        keyboard.down.clear();
        for (int number = 400; number < 403; ++number)
            pass(number);
        for (int key = DataFileKeyCount; key < FirstShiftedKey; ++key)
            EXPECT_EQ(CountOf(table, others, key), presses[key]) << "seed " << seed << " " << KeyTable[key].column;
        for (int key = FirstShiftedKey; key < KeyTableSize; ++key) {
            int plain = KeyTable[key].shiftOf;
            EXPECT_LE(CountOf(table, others, plain) + CountOf(table, others, key), presses[plain])
                << "seed " << seed << " " << KeyTable[plain].column;
        }
    }
}

} // namespace
