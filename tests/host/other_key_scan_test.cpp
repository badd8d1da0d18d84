#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <numeric>
#include <random>
#include <sstream>

#include "capture/key_poller.h"
#include "capture/other_key_scan.h"
#include "capture/shortcut_names.h"
#include "fake_keyboard.h"

namespace {

int64_t CountOf(CounterTable& table, const OtherKeyTable& others, int key)
{
    return key < DataFileKeyCount ? table.Counter(KeyTable[key]).count.value.load()
                                  : others.Count(key - DataFileKeyCount);
}

int64_t AllCounts(CounterTable& table, const OtherKeyTable& others)
{
    int64_t sum = 0;
    for (int key = 0; key < KeyTableSize; ++key)
        sum += CountOf(table, others, key);
    return sum;
}

// What happens before each pass: +key goes down, -key up, ~key is tapped
// between two passes, !key goes up without Windows noting it as input, a
// key@n is seen by queries only n passes later (Wine's copy of the key
// table), caps toggles Caps Lock, stop stops polling and starts it again. A
// key is its column ("space", "1", "shift" the left one) or a code of its
// own ("#F3"). Then every key's count by column, the rest 0.
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
    {{"+shift ~1 -shift", ""}, "shift=1 1=1"},                           // all between two passes: the pages' 1
    {{"caps +shift", "+1", "-1", "-shift"}, "shift=1 shift1=1"},         // Caps Lock changes nothing for !
    {{"+#14", "-#14", "+#F0", "-#F0"}, "eisu=2"},                        // 英数 as Caps Lock, then as the IME's
    {{"+#F3", "-#F3", "+#F4", "-#F4"}, "hankaku=2"},                     // 半角/全角 sends either code
    {{"+#F2", "+#F1", "-#F2", "", "-#F1"}, "kana=1"},                    // a code changed while down: once
    {{"+#15", "", "+#F2", "-#F2", "+#F2", "-#F2"}, "kana=3"},            // kana lock on: VK_KANA stays down
    {{"+enter", "~space stop -enter", ""}, "enter=1"},                   // stopped: a tap is forgotten, an armed key counts
    {{"+ctrl +rightalt", "-rightalt -ctrl"}, "rightalt=1"},              // AltGr: its left Ctrl is no stroke
    {{"+ctrl", "+rightalt", "-rightalt -ctrl"}, "rightalt=1"},           // ... seen a pass apart
    {{"~ctrl ~rightalt", ""}, "rightalt=1"},                             // ... tapped between two passes
    {{"+ctrl", "", "+rightalt", "-rightalt", "-ctrl"}, "ctrl=1 rightalt=1"},   // Ctrl held, then the right Alt
    {{"+ctrl +alt", "-alt -ctrl"}, "ctrl=1 alt=1"},                      // Ctrl+Alt with the left Alt
    {{"+rightalt", "-rightalt", "~ctrl", ""}, "rightalt=1 ctrl=1"},      // a Ctrl two passes after
};

int CodeOf(const std::string& name)
{
    return name[0] == '#' ? std::stoi(name.substr(1), nullptr, 16) : KeyTable[KeyIndexOf(name)].virtualKey;
}

// Acts out one pass's actions of a row on the keyboard.
void Act(const char* pass, CounterTable& table, FakeKeyboard& keyboard)
{
    std::istringstream actions(pass);
    for (std::string action; actions >> action;) {
        if (action == "caps" || action == "stop") {
            action == "caps" ? void(keyboard.capsLock = !keyboard.capsLock) : ForgetEarlierOtherPresses(table, keyboard);
            continue;
        }
        std::size_t at = action.find('@');
        int lag = at == std::string::npos ? 0 : std::stoi(action.substr(at + 1));
        int code = CodeOf(action.substr(1, at == std::string::npos ? std::string::npos : at - 1));
        switch (action[0]) {
        case '+': keyboard.Press(code, lag); break;
        case '-': keyboard.Release(code); break;
        case '!': keyboard.down.erase(code); break;
        default: keyboard.Tap(code, lag); break;
        }
    }
}

void ExpectCounts(CounterTable& table, const OtherKeyTable& others, const char* counts)
{
    std::vector<int64_t> expected(KeyTableSize, 0);
    std::istringstream pairs(counts);
    for (std::string pair; pairs >> pair;)
        expected[KeyIndexOf(pair.substr(0, pair.find('=')))] = std::stoi(pair.substr(pair.find('=') + 1));
    for (int key = 0; key < KeyTableSize; ++key)
        EXPECT_EQ(CountOf(table, others, key), expected[key]) << KeyTable[key].column;
    EXPECT_EQ(table.TotalStrokes.value.load(),
              std::accumulate(expected.begin(), expected.begin() + DataFileKeyCount, int64_t{0}));
}

TEST(OtherKeyScan, StrokesGiveTheirCounts)
{
    for (std::size_t row = 0; row < std::size(StrokeCases); ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        CounterTable table;
        OtherKeyTable others;
        FakeKeyboard keyboard;
        for (const char* pass : StrokeCases[row].passes) {
            Act(pass, table, keyboard);
            ScanEveryKey(table, others, keyboard);
        }
        ScanEveryKey(table, others, keyboard);
        ExpectCounts(table, others, StrokeCases[row].counts);
    }
}

// What a pass finds held after the keys of a row went down before it.
TEST(OtherKeyScan, ThePassKnowsTheModifiersHeld)
{
    struct Case {
        const char* pass;
        ModifierState held;
    } cases[] = {
        {"+shift", {.shift = true}},
        {"+ctrl", {.ctrl = true}},
        {"+rightctrl +alt", {.ctrl = true, .alt = true}},       // left and right merged
        {"+rightalt", {.alt = true}},                           // the right Alt alone is Alt
        {"+ctrl +rightalt", {.altGr = true}},                   // AltGr is neither Ctrl nor Alt
        {"+rightctrl +ctrl +rightalt", {.ctrl = true, .altGr = true}},   // AltGr with the right Ctrl
        {"~win", {.win = true}},                                // tapped between two passes
        {"+rightwin +shift", {.shift = true, .win = true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pass);
        CounterTable table;
        OtherKeyTable others;
        FakeKeyboard keyboard;
        Act(c.pass, table, keyboard);
        ScanEveryKey(table, others, keyboard);
        const ModifierState& held = others.held;
        EXPECT_EQ(held.shift, c.held.shift);
        EXPECT_EQ(held.ctrl, c.held.ctrl);
        EXPECT_EQ(held.alt, c.held.alt);
        EXPECT_EQ(held.win, c.held.win);
        EXPECT_EQ(held.altGr, c.held.altGr);
    }
}

// The shortcuts that a row's passes strike, by name, in the order counted.
TEST(OtherKeyScan, ShortcutsAreNamedByWhatWasHeldWhenTheKeyWentDown)
{
    const StrokeCase cases[] = {
        {{"+ctrl", "+c", "-c", "-ctrl"}, "Ctrl+C"},
        {{"+rightctrl", "~c", "", "~c", "", "~c", "", "-rightctrl"}, "Ctrl+C Ctrl+C Ctrl+C"},   // either Ctrl, once a stroke
        {{"+ctrl +shift", "+z", "-z", "-shift -ctrl"}, "Ctrl+Shift+Z"},
        {{"+shift +ctrl", "+1", "-1", "-ctrl -shift"}, "Ctrl+Shift+1"},       // the shifted key, named by its cap
        {{"+alt", "~tab", "", "~tab", "", "-alt"}, "Alt+Tab Alt+Tab"},
        {{"+rightalt", "+#73", "-#73 -rightalt"}, "Alt+F4"},
        {{"+ctrl +shift", "~escape", "-shift -ctrl"}, "Ctrl+Shift+Esc"},
        {{"+win", "~e", "-win"}, "Win+E"},
        {{"+ctrl +alt", "~delete", "-alt -ctrl"}, "Ctrl+Alt+Delete"},
        {{"+ctrl", "+c", "-ctrl", "-c"}, "Ctrl+C"},                          // Ctrl let go before the key
        {{"+c", "+ctrl", "-c", "-ctrl"}, ""},                                // the key went down first
        {{"+shift", "~a", "~1", "-shift"}, ""},                              // Shift alone is case
        {{"+ctrl", "", "-ctrl"}, ""},                                        // a modifier alone
        {{"+ctrl +alt", "", "-alt -ctrl"}, ""},
        {{"+ctrl +rightalt", "~q", "-rightalt -ctrl"}, ""},                  // AltGr's @ is typed, not a shortcut
        {{"+ctrl +rightalt", "+rightctrl", "~q", "-rightctrl", "-rightalt -ctrl"}, "Ctrl+Q"},   // ... with a real Ctrl
    };
    for (const StrokeCase& row : cases) {
        SCOPED_TRACE(row.passes[0]);
        CounterTable table;
        OtherKeyTable others;
        FakeKeyboard keyboard;
        std::string names;
        auto scan = [&] {
            ScanEveryKey(table, others, keyboard);
            for (int i = 0; i < table.passShortcuts.Count(); ++i) {
                names += names.empty() ? "" : " ";
                names += ShortcutName(table.passShortcuts[i].held, table.passShortcuts[i].virtualKey);
            }
        };
        for (const char* pass : row.passes) {
            Act(pass, table, keyboard);
            scan();
        }
        scan();
        EXPECT_EQ(names, row.counts);
    }
}

// Passes as the polling thread makes them, 20 ms apart, the keyboard telling
// the last input.
struct GatedPolling {
    CounterTable table;
    OtherKeyTable others;
    FakeKeyboard keyboard;
    KeyPoller poller;
    int scanned = 0;

    GatedPolling() { keyboard.tellsLastInput = true; }

    // The shortcuts as the polling thread takes them: after a pass that counted.
    std::map<std::string, int> shortcuts;

    void Pass()
    {
        keyboard.queried.clear();
        const int strokes = poller.Pass(table, others, keyboard, 20 * int64_t{keyboard.pass});
        scanned += !keyboard.queried.empty();
        ++keyboard.pass;
        for (int i = 0; strokes != 0 && i < table.passShortcuts.Count(); ++i)
            ++shortcuts[ShortcutName(table.passShortcuts[i].held, table.passShortcuts[i].virtualKey)];
    }
};

TEST(PollPass, AQuietPassAsksForNoKey)
{
    GatedPolling polling;
    for (int pass = 0; pass < 10; ++pass)
        polling.Pass();
    EXPECT_EQ(polling.scanned, 5) << "the first pass, and the tail of 80 ms after it";
    polling.Pass();
    EXPECT_TRUE(polling.keyboard.queried.empty());
    polling.keyboard.Tap(KeySpace);
    polling.Pass();
    EXPECT_FALSE(polling.keyboard.queried.empty()) << "input came";
}

TEST(PollPass, AScanAsksOnlyWhatMayHaveChanged)
{
    GatedPolling polling;
    FakeKeyboard& keyboard = polling.keyboard;
    keyboard.Press(KeyEnter);
    polling.Pass();
    EXPECT_EQ(keyboard.capsReads, 1) << "the first scan reads Caps Lock";
    EXPECT_EQ(std::count(keyboard.queried.begin(), keyboard.queried.end(), KeyEnter), 1);
    polling.Pass();
    EXPECT_EQ(std::count(keyboard.queried.begin(), keyboard.queried.end(), KeyEnter), 0)
        << "found down, no input since: still down";
    EXPECT_EQ(std::count(keyboard.queried.begin(), keyboard.queried.end(), 'A'), 1) << "up keys: a late press?";
    EXPECT_EQ(keyboard.capsReads, 1);
    keyboard.Tap(KeyCapsLock);
    polling.Pass();
    EXPECT_EQ(keyboard.capsReads, 2) << "the Caps Lock key was struck";
    EXPECT_EQ(std::count(keyboard.queried.begin(), keyboard.queried.end(), KeyEnter), 1) << "input came";
    EXPECT_EQ(std::count(keyboard.queried.begin(), keyboard.queried.end(), KeyCapsLock), 1) << "asked once a pass";
    for (int pass = 0; pass < KeyPoller::CapsReadScans; ++pass) {
        keyboard.inputTick++;   // the mouse moves: every pass scans
        polling.Pass();
    }
    EXPECT_EQ(keyboard.capsReads, 3) << "and once in every 50 scans";
}

TEST(PollPass, AfterALongQuietOnlyEveryFourthPassAsksForTheLastInput)
{
    GatedPolling polling;
    FakeKeyboard& keyboard = polling.keyboard;
    for (int pass = 0; pass < 200; ++pass)   // four seconds
        polling.Pass();
    const int asked = keyboard.lastInputQueries;
    for (int pass = 0; pass < 100; ++pass)
        polling.Pass();
    EXPECT_EQ(keyboard.lastInputQueries - asked, 100 / InputGate::QuietAskPasses);
    keyboard.Tap('Q');
    int passes = 0;
    while (CountOf(polling.table, polling.others, KeyIndexOf("q")) == 0 && passes < 20) {
        polling.Pass();
        ++passes;
    }
    EXPECT_LE(passes, InputGate::QuietAskPasses + 1) << "seen at the next question, counted at the pass after";
    const int seen = keyboard.lastInputQueries;
    for (int pass = 0; pass < 10; ++pass)
        polling.Pass();
    EXPECT_EQ(keyboard.lastInputQueries - seen, 10) << "every pass asks again after input";
}

// Strokes at the edge of a quiet stretch: each row begins after ten quiet
// passes (the gate shut), then acts out its passes as StrokeCases do, and its
// counts are checked right after its last pass.
const StrokeCase QuietEdgeCases[] = {
    {{"~space", ""}, "space=1"},                                         // a tap: armed, then counted
    {{"~5@3", "", "", "", ""}, "5=1"},                                   // Wine shows it three passes late
    {{"+k@3", "", "", "", "-k", ""}, "k=1"},                             // ... a press, let go later
    {{"+enter", "", "", "", "", "", "", "", "", "", "-enter", ""}, "enter=1"},   // held through a quiet stretch
    {{"+a", "", "", "", "", "", "!a", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
      "", "", "", "", ""}, "a=1"},                                       // let go unnoted: the check of latches
    {{"+shift", "+a", "-shift", "-a", "", "", "", "", "", "", "+shift", "-shift", ""}, "shift=2 A=1"},   // A waits for Shift
    {{"caps", "~b", ""}, "B=1"},                                         // Caps Lock toggled while quiet
};

TEST(PollPass, StrokesAtTheEdgeOfAQuietStretchCount)
{
    for (std::size_t row = 0; row < std::size(QuietEdgeCases); ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        GatedPolling polling;
        for (int pass = 0; pass < 10; ++pass)
            polling.Pass();
        for (const char* pass : QuietEdgeCases[row].passes) {
            Act(pass, polling.table, polling.keyboard);
            polling.Pass();
        }
        ExpectCounts(polling.table, polling.others, QuietEdgeCases[row].counts);
    }
}

// The first of a block of seeds that no run has walked before, or
// KIVORA_FRESH_SEED to walk a block again.
uint32_t FreshSeeds()
{
    const char* again = std::getenv("KIVORA_FRESH_SEED");
    const uint32_t first = again != nullptr ? static_cast<uint32_t>(std::strtoul(again, nullptr, 10))
                                            : std::random_device{}();
    std::printf("fresh seeds from %u (KIVORA_FRESH_SEED=%u walks them again)\n", first, first);
    return first;
}

// A seeded walk of presses and releases of keys of every kind: the pages'
// scans ask the same questions as they would alone, and every letter is
// asked for once a pass, by them; they count the same letters, and no more
// of a digit or symbol key; the other keys count each stroke once, and a
// digit or symbol key never counts one stroke twice (unshifted and shifted),
// nor fewer than the pages alone; a pass tells the strokes it counted, for
// the program they went to.
TEST(OtherKeyScan, PagesCountAsAloneAndNoStrokeCountsTwice)
{
    const char* names[] = {"a", "k", "1", "2", "left", "colon", "space", "enter", "shift", "rightshift", "kana"};
    std::vector<uint32_t> seeds(100);
    std::iota(seeds.begin(), seeds.end(), 1u);
    const uint32_t fresh = FreshSeeds();
    for (uint32_t seed = fresh; seed != fresh + 50; ++seed)
        seeds.push_back(seed);
    for (uint32_t seed : seeds) {
        std::mt19937 random(seed);
        CounterTable alone, table;
        OtherKeyTable others;
        FakeKeyboard aloneKeyboard, keyboard;
        std::vector<int> presses(KeyTableSize, 0);
        auto pass = [&](int number) {
            aloneKeyboard.queried.clear();
            keyboard.queried.clear();
            ScanPass(alone, aloneKeyboard);
            const int64_t before = AllCounts(table, others);
            const int strokes = ScanEveryKey(table, others, keyboard);
            ASSERT_EQ(strokes, AllCounts(table, others) - before) << "seed " << seed << " pass " << number;
            // Shift, the modifiers, then the pages' keys as alone.
            std::vector<int> asked;
            for (int key : keyboard.queried) {
                if (key < KeyLeftControl || key > KeyRightAlt) {
                    if (key != KeyLeftWindows && key != KeyRightWindows)
                        asked.push_back(key);
                }
            }
            ASSERT_TRUE(std::equal(aloneKeyboard.queried.begin(), aloneKeyboard.queried.end(), asked.begin()));
            ASSERT_EQ(std::count_if(asked.begin(), asked.end(), [](int key) { return key >= 'A' && key <= 'Z'; }), 26);
            // A digit struck while Shift is held is the shifted column's: the
            // other keys' scan asks for it then, and so the pages, which do not,
            // find no "pressed since" bit of it once Shift is let go, where alone
            // they count it unshifted.
            for (int key = 0; key < DataFileKeyCount; ++key) {
                const int64_t counted = CountOf(table, others, key);
                const int64_t countedAlone = alone.Counter(KeyTable[key]).count.value.load();
                if (KeyTable[key].page == CountPage::DigitsSymbols)
                    ASSERT_LE(counted, countedAlone) << "seed " << seed << " pass " << number << " " << KeyTable[key].column;
                else
                    ASSERT_EQ(counted, countedAlone) << "seed " << seed << " pass " << number << " " << KeyTable[key].column;
            }
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
            const int64_t both = CountOf(table, others, plain) + CountOf(table, others, key);
            EXPECT_LE(alone.Counter(KeyTable[plain]).count.value.load(), both)
                << "seed " << seed << " " << KeyTable[plain].column;
            EXPECT_LE(both, presses[plain]) << "seed " << seed << " " << KeyTable[plain].column;
        }
    }
}

// One seeded walk of presses, releases and taps with quiet stretches between
// them, presses that Wine shows up to three passes late and Caps Lock struck
// now and then, through two pollers: one that scans every pass, one behind
// the gate. Returns what went wrong, or "".
std::string WalkBehindTheGate(uint32_t seed)
{
    const char* names[] = {"a", "k", "1", "2", "left", "colon", "space", "enter", "shift", "rightshift",
                           "ctrl", "rightalt", "alt", "kana", "f5", "num1"};
    std::mt19937 random(seed);
    CounterTable table;
    OtherKeyTable others;
    FakeKeyboard keyboard;
    GatedPolling gated;
    std::map<std::string, int> shortcuts;
    auto compare = [&](int pass) -> std::string {
        for (int key = 0; key < KeyTableSize; ++key) {
            if (CountOf(table, others, key) != CountOf(gated.table, gated.others, key))
                return "pass " + std::to_string(pass) + ": " + std::string(KeyTable[key].column) + " " +
                       std::to_string(CountOf(table, others, key)) + " scanning every pass, " +
                       std::to_string(CountOf(gated.table, gated.others, key)) + " behind the gate";
        }
        return "";
    };
    int quiet = 0;
    const int passes = 600;
    for (int pass = 0; pass < passes + 12; ++pass) {
        keyboard.pass = pass;
        auto both = [&](auto act) { act(keyboard), act(gated.keyboard); };
        if (pass >= passes) {
            both([](FakeKeyboard& k) { for (int code : std::set<int>(k.down)) k.Release(code); });
        } else if (quiet > 0) {
            --quiet;
        } else if (random() % 25 == 0) {
            quiet = static_cast<int>(random() % 40);
        } else if (random() % 60 == 0) {
            both([](FakeKeyboard& k) { k.capsLock = !k.capsLock, k.Tap(KeyCapsLock); });
        } else if (random() % 2 == 0) {
            const int code = KeyTable[KeyIndexOf(names[random() % std::size(names)])].virtualKey;
            const int lag = static_cast<int>(random() % 4);
            const bool up = keyboard.down.count(code) == 0;
            const bool tap = random() % 3 == 0;
            both([&](FakeKeyboard& k) { up ? (tap ? k.Tap(code, lag) : k.Press(code, lag)) : k.Release(code); });
        }
        const int strokes = ScanEveryKey(table, others, keyboard);
        if (table.passShortcuts.Count() > strokes)
            return "pass " + std::to_string(pass) + ": more shortcuts than strokes";
        for (int i = 0; i < table.passShortcuts.Count(); ++i)
            ++shortcuts[ShortcutName(table.passShortcuts[i].held, table.passShortcuts[i].virtualKey)];
        gated.Pass();
        if (std::string failure = compare(pass); !failure.empty())
            return failure;
    }
    if (shortcuts != gated.shortcuts)
        return "the gate changed the shortcuts";
    if (gated.scanned >= passes)
        return "the gate scanned in " + std::to_string(gated.scanned) + " passes of " + std::to_string(passes + 12);
    return "";
}

// Behind the gate every key counts the same strokes, pass by pass, as when
// every pass scans.
TEST(PollPass, TheGateChangesNoCount)
{
    for (uint32_t seed = 1; seed <= 60; ++seed)
        ASSERT_EQ(WalkBehindTheGate(seed), "") << "seed " << seed;
    const uint32_t fresh = FreshSeeds();
    for (uint32_t seed = fresh; seed != fresh + 60; ++seed)
        ASSERT_EQ(WalkBehindTheGate(seed), "") << "seed " << seed;
}

} // namespace
