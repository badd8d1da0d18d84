#include "history/local_date.h"

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool ReadDigits(std::string_view text, int& value)
{
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

void WriteDigits(int value, char* out, int width)
{
    for (int at = width - 1; at >= 0; --at) {
        out[at] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

} // namespace

int DaysInMonth(int year, int month)
{
    static constexpr int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

bool IsValidDate(const LocalDate& date)
{
    return date.year >= 1 && date.year <= 9999 && date.day >= 1 && date.day <= DaysInMonth(date.year, date.month);
}

std::optional<LocalDate> ParseLocalDate(std::string_view text)
{
    if (text.size() != LocalDateTextSize || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    LocalDate date;
    if (!ReadDigits(text.substr(0, 4), date.year) || !ReadDigits(text.substr(5, 2), date.month) ||
        !ReadDigits(text.substr(8, 2), date.day) || !IsValidDate(date))
        return std::nullopt;
    return date;
}

std::optional<LocalDate> ParseSlashedDate(std::string_view text)
{
    std::size_t second = text.find('/', 5);
    if (text.size() < 8 || text[4] != '/' || second == std::string_view::npos)
        return std::nullopt;
    std::string_view month = text.substr(5, second - 5);
    std::string_view day = text.substr(second + 1);
    LocalDate date;
    if (month.empty() || month.size() > 2 || day.empty() || day.size() > 2 ||
        !ReadDigits(text.substr(0, 4), date.year) || !ReadDigits(month, date.month) ||
        !ReadDigits(day, date.day) || !IsValidDate(date))
        return std::nullopt;
    return date;
}

void FormatLocalDate(const LocalDate& date, char* out)
{
    WriteDigits(date.year, out, 4);
    out[4] = '-';
    WriteDigits(date.month, out + 5, 2);
    out[7] = '-';
    WriteDigits(date.day, out + 8, 2);
}

std::string FormatLocalDate(const LocalDate& date)
{
    std::string text(LocalDateTextSize, '0');
    FormatLocalDate(date, text.data());
    return text;
}

// Years counted from 1 March put the leap day at a year's end, so the day
// count needs no month table; 400 years always hold 146,097 days.
int32_t DayNumber(const LocalDate& date)
{
    int year = date.month <= 2 ? date.year - 1 : date.year;
    int era = (year >= 0 ? year : year - 399) / 400;
    int yearOfEra = year - era * 400;
    int dayOfYear = (153 * (date.month > 2 ? date.month - 3 : date.month + 9) + 2) / 5 + date.day - 1;
    int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

LocalDate DateOfDayNumber(int32_t dayNumber)
{
    int32_t z = dayNumber + 719468;
    int era = (z >= 0 ? z : z - 146096) / 146097;
    int dayOfEra = z - era * 146097;
    int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int shiftedMonth = (5 * dayOfYear + 2) / 153;
    LocalDate date;
    date.day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    date.month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    date.year = yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0);
    return date;
}

LocalDate AddDays(const LocalDate& date, int32_t days) { return DateOfDayNumber(DayNumber(date) + days); }
