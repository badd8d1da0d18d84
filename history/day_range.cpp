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

HistoryCounts SumOfHistoryDays(const std::vector<HistoryDay>& days, const DateRange& range)
{
    HistoryCounts sums;
    auto from = std::lower_bound(days.begin(), days.end(), range.first,
                                 [](const HistoryDay& day, const LocalDate& date) { return day.date < date; });
    for (auto day = from; day != days.end() && !(range.last < day->date); ++day)
        AddCounts(sums, day->counts);
    return sums;
}
