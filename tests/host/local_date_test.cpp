#include <gtest/gtest.h>

#include "history/local_date.h"

namespace {

TEST(LocalDate, ParsesOnlyStrictDaysThatExist)
{
    struct Case {
        const char* text;
        bool valid;
    } cases[] = {
        {"2026-03-01", true},
        {"2024-02-29", true},    // leap year
        {"2000-02-29", true},    // divisible by 400
        {"1900-02-29", false},   // divisible by 100 only
        {"2023-02-29", false},
        {"2026-02-30", false},
        {"2026-04-31", false},
        {"2026-13-01", false},
        {"2026-00-10", false},
        {"2026-01-00", false},
        {"0000-01-01", false},   // no year 0 in the text form
        {"9999-12-31", true},
        {"2026-1-01", false},    // two digits, always
        {"2026-01-1", false},
        {" 2026-01-01", false},
        {"2026-01-01 ", false},
        {"2026/01/01", false},
        {"+026-01-01", false},
        {"", false},
    };
    for (const Case& c : cases) {
        auto date = ParseLocalDate(c.text);
        EXPECT_EQ(date.has_value(), c.valid) << c.text;
        if (date) {
            EXPECT_EQ(FormatLocalDate(*date), c.text);
        }
    }
}

TEST(LocalDate, DayArithmeticCrossesMonthsAndYears)
{
    struct Case {
        const char* from;
        int days;
        const char* to;
    } cases[] = {
        {"2026-03-01", -1, "2026-02-28"},
        {"2024-03-01", -1, "2024-02-29"},
        {"2026-01-01", -1, "2025-12-31"},
        {"2026-01-05", -6, "2025-12-30"},    // a 7-day window over New Year
        {"2026-03-10", -29, "2026-02-09"},   // a 30-day window over February
        {"2025-12-31", 1, "2026-01-01"},
        {"1970-01-01", 0, "1970-01-01"},
        {"1969-12-31", 1, "1970-01-01"},     // before the day count's origin
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatLocalDate(AddDays(*ParseLocalDate(c.from), c.days)), c.to) << c.from << " " << c.days;
    EXPECT_EQ(DayNumber({1970, 1, 1}), 0);
}

TEST(LocalDate, EveryDayFollowsTheOneBefore)
{
    LocalDate date{1899, 12, 31};
    for (int32_t number = DayNumber(date); date.year < 2101; ++number) {
        LocalDate next = date.day < DaysInMonth(date.year, date.month) ? LocalDate{date.year, date.month, date.day + 1}
                         : date.month < 12 ? LocalDate{date.year, date.month + 1, 1}
                                           : LocalDate{date.year + 1, 1, 1};
        ASSERT_EQ(DayNumber(next), number + 1) << FormatLocalDate(next);
        ASSERT_EQ(DateOfDayNumber(number + 1), next);
        date = next;
    }
}

} // namespace
