#pragma once
// Calendar dates as the history file writes them (YYYY-MM-DD), in the
// proleptic Gregorian calendar, and as a spreadsheet in Japanese settings
// saves them back (YYYY/M/D). The date is the one the user's clock shows:
// the caller passes it in, and no time zone work happens here.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct LocalDate {
    int year = 1970;
    int month = 1;
    int day = 1;
    auto operator<=>(const LocalDate&) const = default;
};

constexpr int LocalDateTextSize = 10;   // YYYY-MM-DD

int DaysInMonth(int year, int month);
// Years 0001 to 9999, the ones the text form can hold.
bool IsValidDate(const LocalDate& date);

// Exactly ten characters YYYY-MM-DD naming a day that exists; anything else
// (2026-02-30, 2026-2-3, a blank, a sign) is refused.
std::optional<LocalDate> ParseLocalDate(std::string_view text);
// Four digits of year, then month and day of one or two digits each, split
// by slashes (2026/12/7, 2026/12/07), naming a day that exists.
std::optional<LocalDate> ParseSlashedDate(std::string_view text);
// Writes the ten characters, no terminator. The date must be valid.
void FormatLocalDate(const LocalDate& date, char* out);
std::string FormatLocalDate(const LocalDate& date);

// Days since 1970-01-01 (negative before it), and back.
int32_t DayNumber(const LocalDate& date);
LocalDate DateOfDayNumber(int32_t dayNumber);
// AddDays(date, -6) is the sixth day before date, across months and years.
LocalDate AddDays(const LocalDate& date, int32_t days);
