#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "clock/uptime_clock.h"

namespace {

// Records what a tick does, in order, with the clock as it stood at each save.
class RecordingClock final : public ClockPort {
public:
    explicit RecordingClock(CounterTable& table) : table_(table) {}

    std::vector<std::string> events;

    void Invalidate(const PixelRect& rect) override { events.push_back(NameOf(rect)); }
    void Save() override
    {
        events.push_back("save " + std::to_string(table_.ClockHours.value.load()) + ":" +
                         std::to_string(table_.ClockMinutes.value.load()) + ":" +
                         std::to_string(table_.ClockSeconds.value.load()));
    }

private:
    std::string NameOf(const PixelRect& rect)
    {
        if (rect == table_.SecondsRect.Load())
            return "seconds";
        if (rect == table_.MinutesRect.Load())
            return "minutes";
        if (rect == table_.HoursRect.Load())
            return "hours";
        if (rect == table_.RateRect.Load())
            return "rate";
        return "?";
    }

    CounterTable& table_;
};

struct ClockCase {
    const char* name;
    int hours, minutes, seconds, total;
    // After one tick:
    int afterHours, afterMinutes, afterSeconds, rate;
    const char* hoursText;
    const char* minutesText;
    const char* secondsText;
    std::vector<std::string> events;
};

std::string Text(const CounterTable& table, const CountedValue& counted)
{
    char text[CountTextSize];
    table.CopyText(counted, text);
    return text;
}

void PrintTo(const ClockCase& c, std::ostream* out) { *out << c.name; }

class UptimeClockTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(UptimeClockTest, OneTick)
{
    const ClockCase& c = GetParam();
    CounterTable table;
    table.SecondsRect.Store({139, 395, 157, 415});
    table.MinutesRect.Store({106, 395, 125, 415});
    table.HoursRect.Store({16, 395, 80, 415});
    table.RateRect.Store({350, 395, 440, 415});
    table.ClockHours.value = c.hours;
    table.ClockMinutes.value = c.minutes;
    table.ClockSeconds.value = c.seconds;
    table.TotalStrokes.value = c.total;
    table.RefreshCountTexts();
    RecordingClock clock(table);

    AdvanceUptimeClock(table, clock);

    EXPECT_EQ(table.ClockHours.value.load(), c.afterHours);
    EXPECT_EQ(table.ClockMinutes.value.load(), c.afterMinutes);
    EXPECT_EQ(table.ClockSeconds.value.load(), c.afterSeconds);
    EXPECT_EQ(table.StrokesPerHour.value.load(), c.rate);
    EXPECT_EQ(Text(table, table.ClockHours), c.hoursText);
    EXPECT_EQ(Text(table, table.ClockMinutes), c.minutesText);
    EXPECT_EQ(Text(table, table.ClockSeconds), c.secondsText);
    EXPECT_EQ(Text(table, table.StrokesPerHour), std::to_string(c.rate));
    EXPECT_EQ(clock.events, c.events);
}

INSTANTIATE_TEST_SUITE_P(
    Rollovers, UptimeClockTest,
    ::testing::Values(
        // A plain second: seconds and rate repaint, nothing is saved.
        ClockCase{"PlainSecond", 0, 0, 7, 50, 0, 0, 8, 0, "0", "0", "08", {"seconds", "rate"}},
        // 0:00:59 -> 0:01:00, saved with the new minute.
        ClockCase{"MinuteComplete", 0, 0, 59, 0, 0, 1, 0, 0, "0", "1", "00",
                  {"seconds", "seconds", "minutes", "save 0:1:0", "rate"}},
        // 0:59:59 -> 1:00:00; the save sees minutes 60 and the old hour.
        ClockCase{"HourComplete", 0, 59, 59, 1000, 1, 0, 0, 1000, "1", "0", "00",
                  {"seconds", "seconds", "minutes", "save 0:60:0", "minutes", "hours", "rate"}},
        // A loaded minutes of 60 rolls over at the first tick.
        ClockCase{"LoadedSixtyMinutes", 2, 60, 10, 999, 3, 0, 11, 333, "3", "0", "11",
                  {"seconds", "minutes", "hours", "rate"}},
        // Lifetime strokes per whole hour: 1000 over 3 hours.
        ClockCase{"RateTruncates", 3, 10, 0, 1000, 3, 10, 1, 333, "3", "10", "01", {"seconds", "rate"}},
        // Through the first hour the rate is 0 whatever was typed.
        ClockCase{"NoRateInFirstHour", 0, 30, 0, 123456, 0, 30, 1, 0, "0", "30", "01", {"seconds", "rate"}}),
    [](const ::testing::TestParamInfo<ClockCase>& param) { return param.param.name; });

class SilentClock final : public ClockPort {
public:
    void Invalidate(const PixelRect&) override {}
    void Save() override {}
};

// The registration's second zeroing runs on the polling thread while the
// clock ticks on the interface thread: whichever comes first, the clock
// never brings back the seconds, minutes, hours or rate from before the
// zeroing.
TEST(UptimeClockRace, ZeroingIsNeverUndoneByATickThatBeganBeforeIt)
{
    CounterTable table;
    SilentClock clock;
    for (int round = 0; round < 20000; ++round) {
        table.ClockHours.value = 5;
        table.ClockMinutes.value = 59;
        table.ClockSeconds.value = 59;
        table.TotalStrokes.value = 5000;
        std::atomic<bool> go{false};
        std::thread zeroing([&] {
            while (!go) {
            }
            table.ZeroStoredValues();
        });
        go = true;
        AdvanceUptimeClock(table, clock);
        zeroing.join();
        // Zeroed after the tick: all 0. Before it: one second on from 0.
        int seconds = table.ClockSeconds.value.load();
        ASSERT_LE(seconds, 1) << "round " << round;
        ASSERT_EQ(table.ClockMinutes.value.load(), 0) << "round " << round;
        ASSERT_EQ(table.ClockHours.value.load(), 0) << "round " << round;
        ASSERT_EQ(table.StrokesPerHour.value.load(), 0) << "round " << round;
    }
}

} // namespace
