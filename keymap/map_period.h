#pragma once
// The span of days a key map adds up, as the tab page offers it and as the
// command line names it: all time, today, the last 7 or 30 days, or a range
// of days chosen on the history tab (or named on the command line).
#include <string>
#include <string_view>
#include <vector>

#include "history/day_range.h"
#include "history/history_book.h"
#include "keymap/key_geometry.h"
#include "store/user_record.h"

enum class MapPeriod { All, Today, Last7Days, Last30Days, Range };
constexpr MapPeriod DefaultMapPeriod = MapPeriod::All;
// The periods with a command-line word.
constexpr MapPeriod MapPeriods[] = {MapPeriod::All, MapPeriod::Today, MapPeriod::Last7Days, MapPeriod::Last30Days};
// The keyboard tab's list, in its order.
constexpr MapPeriod ListedMapPeriods[] = {MapPeriod::All, MapPeriod::Today, MapPeriod::Last7Days,
                                          MapPeriod::Last30Days, MapPeriod::Range};

// 全期間, 今日, 過去 7 日, 過去 30 日, 指定した期間 (code page 932).
const char* MapPeriodCaption(MapPeriod period);

// The command-line word: all, today, 7, 30; "" for Range, whose days the
// command line names instead.
const char* MapPeriodWord(MapPeriod period);

// Reads a command-line word as MapPeriodWord writes it, in any letter case
// (the command prompt's habit); anything else (another word, a null) is
// refused and period is left alone.
bool ParseMapPeriod(const char* word, MapPeriod& period);

// The key counts a period shows: all time from the all-time counts of every
// key (the data file's and the other keys'), the named periods from the history's sums (the same windows as the export),
// Range from rangeSums.
KeyCounts KeyCountsOfPeriod(MapPeriod period, const HistoryCounts& allTime, const HistoryPeriods& periods,
                            const HistoryCounts& rangeSums = HistoryCounts{});

// What the map says of its period: the caption, and for Range its days
// ("指定した期間 2026年11月30日（月）～2026年12月6日（日）").
std::string MapPeriodText(MapPeriod period, const DateRange& range);

// What the map shows of the keys, in a title: 小文字, 大文字, 小文字と大文字,
// 全キー (code page 932).
const char* MapModeCaption(MapMode mode);

// The days a period adds up on today: Range its own; all time has no first day.
DateRange MapPeriodDates(MapPeriod period, const DateRange& range, const LocalDate& today);

// The picture's title, which still says what it shows a week later: the
// user, the period, the keys and the days, as the history's picture names
// them: "taro　過去 7 日　小文字と大文字　2026年12月1日（火）～2026年12月7日（月）",
// "taro　全期間　全キー　2026年12月7日（月）まで".
std::string MapTitle(std::string_view user, MapPeriod period, const DateRange& range, MapMode mode,
                     const LocalDate& today);

// A range's days as read once from the history: the sums of all of them but
// today's, which the running day's counts give as they rise. Reading the
// days takes milliseconds for years of them; this is read again only when
// the history, the range or the date changes.
struct RangeDays {
    DateRange range;
    LocalDate today;
    HistoryCounts otherDays;
    bool withToday = false;
};
RangeDays ReadRangeDays(const std::vector<HistoryDay>& days, const DateRange& range, const LocalDate& today);
// The range's sums with today's counts as they stand.
HistoryCounts RangeSums(const RangeDays& read, const HistoryCounts& today);
