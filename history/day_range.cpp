#include "history/day_range.h"

#include <algorithm>

std::optional<DateRange> ParseDateRange(std::string_view text)
{
    constexpr std::string_view Separator = "..";
    if (text.size() != 2 * LocalDateTextSize + Separator.size() ||
        text.substr(LocalDateTextSize, Separator.size()) != Separator)
        return std::nullopt;
    std::optional<LocalDate> first = ParseLocalDate(text.substr(0, LocalDateTextSize));
    std::optional<LocalDate> last = ParseLocalDate(text.substr(LocalDateTextSize + Separator.size()));
    if (!first || !last || *last < *first)
        return std::nullopt;
    return DateRange{*first, *last};
}

std::string FormatDateRange(const DateRange& range)
{
    return FormatLocalDate(range.first) + ".." + FormatLocalDate(range.last);
}

int WeekdayIndex(const LocalDate& date)
{
    // 1970-01-01 was a Thursday, weekday 3.
    int32_t shifted = DayNumber(date) + 3;
    int weekday = shifted % 7;
    return weekday < 0 ? weekday + 7 : weekday;
}

const char* WeekdayName(int weekday)
{
    static const char* const Names[7] = {"月", "火", "水", "木", "金", "土", "日"};
    return weekday >= 0 && weekday < 7 ? Names[weekday] : "";
}

std::string FormatJapaneseDate(const LocalDate& date)
{
    return std::to_string(date.year) + "年" + std::to_string(date.month) + "月" + std::to_string(date.day) + "日（" +
           WeekdayName(WeekdayIndex(date)) + "）";
}

std::string FormatJapaneseRange(const DateRange& range)
{
    if (range.first == range.last)
        return FormatJapaneseDate(range.first);
    return FormatJapaneseDate(range.first) + "～" + FormatJapaneseDate(range.last);
}

HistoryCounts SumOfHistoryDays(const std::vector<HistoryDay>& days, const DateRange& range)
{
    HistoryCounts sums;
    auto from = std::lower_bound(days.begin(), days.end(), range.first,
                                 [](const HistoryDay& day, const LocalDate& date) { return day.date < date; });
    for (auto day = from; day != days.end() && !(range.last < day->date); ++day)
        AddCounts(sums, day->counts);
    return sums;
}
