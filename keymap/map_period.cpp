#include "keymap/map_period.h"

#include <cstring>

#include "win/ansi_text.h"

const char* MapPeriodCaption(MapPeriod period)
{
    switch (period) {
    case MapPeriod::Today:
        return "今日";
    case MapPeriod::Last7Days:
        return "過去 7 日";
    case MapPeriod::Last30Days:
        return "過去 30 日";
    case MapPeriod::Range:
        return "指定した期間";
    case MapPeriod::All:
        break;
    }
    return "全期間";
}

const char* MapPeriodWord(MapPeriod period)
{
    switch (period) {
    case MapPeriod::Today:
        return "today";
    case MapPeriod::Last7Days:
        return "7";
    case MapPeriod::Last30Days:
        return "30";
    case MapPeriod::Range:
        return "";
    case MapPeriod::All:
        break;
    }
    return "all";
}

bool ParseMapPeriod(const char* word, MapPeriod& period)
{
    if (word == nullptr)
        return false;
    for (MapPeriod candidate : MapPeriods) {
        const char* expected = MapPeriodWord(candidate);
        std::size_t length = std::strlen(expected);
        if (std::strlen(word) == length && EqualsIgnoringCase(word, expected, length)) {
            period = candidate;
            return true;
        }
    }
    return false;
}

KeyCounts KeyCountsOfPeriod(MapPeriod period, const HistoryCounts& allTime, const HistoryPeriods& periods,
                            const HistoryCounts& rangeSums)
{
    const HistoryCounts* days = &allTime;
    switch (period) {
    case MapPeriod::All:
        break;
    case MapPeriod::Today:
        days = &periods.today;
        break;
    case MapPeriod::Last7Days:
        days = &periods.last7;
        break;
    case MapPeriod::Last30Days:
        days = &periods.last30;
        break;
    case MapPeriod::Range:
        days = &rangeSums;
        break;
    }
    KeyCounts counts{};
    for (int key = 0; key < KeyMapValueCount; ++key)
        counts[key] = days->keys[key] > 0 ? static_cast<uint64_t>(days->keys[key]) : 0;
    return counts;
}

std::string MapPeriodText(MapPeriod period, const DateRange& range)
{
    std::string text = MapPeriodCaption(period);
    if (period == MapPeriod::Range) {
        text += ' ';
        text += FormatJapaneseRange(range);
    }
    return text;
}

const char* MapModeCaption(MapMode mode)
{
    switch (mode) {
    case MapMode::Lowercase:
        return "小文字";
    case MapMode::Uppercase:
        return "大文字";
    case MapMode::AllStrokes:
        return "全キー";
    case MapMode::Both:
        break;
    }
    return "小文字と大文字";
}

DateRange MapPeriodDates(MapPeriod period, const DateRange& range, const LocalDate& today)
{
    switch (period) {
    case MapPeriod::Today:
        return {today, today};
    case MapPeriod::Last7Days:
        return {AddDays(today, -6), today};
    case MapPeriod::Last30Days:
        return {AddDays(today, -29), today};
    case MapPeriod::Range:
        return range;
    case MapPeriod::All:
        break;
    }
    return {today, today};
}

std::string MapTitle(std::string_view user, MapPeriod period, const DateRange& range, MapMode mode,
                     const LocalDate& today)
{
    std::string title = std::string(user) + "　" + MapPeriodCaption(period) + "　" + MapModeCaption(mode) + "　";
    if (period == MapPeriod::All)
        return title + FormatJapaneseDate(today) + "まで";
    return title + FormatJapaneseRange(MapPeriodDates(period, range, today));
}

RangeDays ReadRangeDays(const std::vector<HistoryDay>& days, const DateRange& range, const LocalDate& today)
{
    RangeDays read{range, today, {}, range.Contains(today)};
    if (!read.withToday) {
        read.otherDays = SumOfHistoryDays(days, range);
        return read;
    }
    // The days on either side of today: today's counts come from RangeSums.
    if (range.first < today)
        read.otherDays = SumOfHistoryDays(days, {range.first, AddDays(today, -1)});
    if (today < range.last)
        AddCounts(read.otherDays, SumOfHistoryDays(days, {AddDays(today, 1), range.last}));
    return read;
}

HistoryCounts RangeSums(const RangeDays& read, const HistoryCounts& today)
{
    HistoryCounts sums = read.otherDays;
    if (read.withToday)
        AddCounts(sums, today);
    return sums;
}
