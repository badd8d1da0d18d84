// When the strokes fell: the active minutes, the best minute and the hours
// worked out from the clock's looks at the total, across minutes, hours,
// midnight and a clock that goes back; and the shortcuts' names.
#include <gtest/gtest.h>

#include <numeric>

#include "capture/shortcut_names.h"
#include "history/typing_time.h"
#include "keys/key_codes.h"

namespace {

constexpr LocalDate Day{2026, 12, 8};

ClockMinute At(int hour, int minute, const LocalDate& date = Day) { return {date, hour, minute}; }

HistoryCounts Total(int64_t strokes)
{
    HistoryCounts counts;
    counts.keys[0] = strokes;
    return counts;
}

HistoryCounts Snapshot(const TypingTime& time, int64_t strokes)
{
    HistoryCounts counts = Total(strokes);
    time.Fill(counts);
    return counts;
}

int64_t HoursSum(const HistoryCounts& counts)
{
    return std::accumulate(counts.hours.begin(), counts.hours.end(), int64_t{0});
}

TEST(TypingTime, MinutesHoursAndTheBestMinuteFollowTheClock)
{
    struct Look {
        ClockMinute at;
        int64_t total;   // every key's strokes, as the clock reads them
    };
    struct Case {
        const char* what;
        std::vector<Look> looks;
        int64_t snapshotTotal;   // a snapshot after the last look
        int64_t activeMinutes, bestMinute;
        std::vector<std::pair<int, int64_t>> hours;   // hour, strokes
    };
    const Case cases[] = {
        {"one minute, then a quiet one", {{At(9, 0), 5}, {At(9, 0), 9}, {At(9, 1), 9}, {At(9, 2), 9}}, 9, 1, 9,
         {{9, 9}}},
        {"strokes since the last look belong to its minute and hour", {{At(9, 59), 4}, {At(10, 0), 7}}, 7, 1, 7,
         {{9, 7}}},
        {"a snapshot between looks counts the strokes in the running minute", {{At(10, 0), 2}}, 6, 1, 6,
         {{10, 6}}},
        {"two minutes, the larger is the best", {{At(11, 0), 3}, {At(11, 1), 3}, {At(11, 2), 10}}, 10, 2, 7,
         {{11, 10}}},
        {"midnight starts the best minute again; minutes and hours go on",
         {{At(23, 59), 8}, {At(0, 0, AddDays(Day, 1)), 8}, {At(0, 1, AddDays(Day, 1)), 11}}, 11, 2, 3,
         {{23, 8}, {0, 3}}},
        {"the clock set back an hour: that hour takes both", {{At(1, 59), 4}, {At(1, 0), 4}, {At(1, 1), 9}}, 9, 2, 5,
         {{1, 9}}},
    };
    for (const Case& c : cases) {
        TypingTime time;
        time.Start(0, c.looks.front().at);
        for (const Look& look : c.looks)
            time.Look(look.total, look.at);
        const HistoryCounts counts = Snapshot(time, c.snapshotTotal);
        EXPECT_EQ(counts.activeMinutes, c.activeMinutes) << c.what;
        EXPECT_EQ(counts.bestMinute, c.bestMinute) << c.what;
        std::array<int64_t, HoursOfDay> hours{};
        for (auto [hour, strokes] : c.hours)
            hours[hour] = strokes;
        EXPECT_EQ(counts.hours, hours) << c.what;
        EXPECT_EQ(HoursSum(counts), c.snapshotTotal) << c.what << ": every stroke in exactly one hour";
    }
}

TEST(TypingTime, SnapshotsOnlyRiseAndAMovedTotalGoesToNoHour)
{
    TypingTime time;
    time.Start(100, At(8, 0));
    HistoryCounts before = Snapshot(time, 103);
    time.Look(103, At(8, 0));
    time.Look(103, At(8, 1));
    HistoryCounts after = Snapshot(time, 103);
    EXPECT_EQ(before.activeMinutes, after.activeMinutes) << "the running minute was counted once already";
    EXPECT_EQ(before.hours, after.hours);

    // Counts taken late from a keys file, then a reset to zero: neither is typing.
    time.Rebase(400);
    time.Look(402, At(8, 2));
    time.Rebase(0);
    time.Look(1, At(8, 3));
    const HistoryCounts counts = Snapshot(time, 1);
    EXPECT_EQ(HoursSum(counts), 3 + 2 + 1);
    EXPECT_EQ(counts.activeMinutes, 3);
}

TEST(HistoryCounts, TheBestMinuteOfDaysTogetherIsTheLargestAndIsNeverTakenAway)
{
    HistoryCounts a, b;
    a.bestMinute = 40;
    a.activeMinutes = 3;
    b.bestMinute = 25;
    b.activeMinutes = 2;
    HistoryCounts sum = a;
    AddCounts(sum, b);
    EXPECT_EQ(sum.bestMinute, 40);
    EXPECT_EQ(sum.activeMinutes, 5);
    EXPECT_EQ(LessCounts(sum, a).bestMinute, 40);
    EXPECT_EQ(LessCounts(sum, a).activeMinutes, 2);
    HistoryCounts rise;
    AddDelta(rise, a, b);   // a snapshot's best minute is the running day's
    EXPECT_EQ(rise.bestMinute, 25);
    EXPECT_EQ(rise.activeMinutes, 0);
}

TEST(ShortcutNames, ModifiersInOrderThenTheKeysCap)
{
    struct Case {
        uint8_t held;
        uint8_t key;
        const char* name;   // "" for no shortcut
    };
    const Case cases[] = {
        // Those struck on a keyboard: other_key_scan_test.cpp.
        {HeldWin | HeldShift | HeldAlt | HeldCtrl, '7', "Ctrl+Alt+Shift+Win+7"},
        {HeldCtrl, KeyAdd, "Ctrl+Num+"},
        {HeldCtrl, KeyOem5, "Ctrl+Yen"},
        {HeldCtrl, KeyOemMinus, "Ctrl+-"},
        {0, 'A', ""},
        {HeldCtrl, KeyLeftShift, ""},         // a modifier makes no shortcut of its own
        {HeldCtrl | HeldAlt, KeyRightAlt, ""},
        {HeldCtrl, 0xFF, ""},                 // no key Kivora counts
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShortcutName(c.held, c.key), c.name) << int(c.held) << " " << int(c.key);
}

} // namespace
