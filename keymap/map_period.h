#pragma once
// The span of days a key map adds up, as the tab page offers it and as the
// command line names it.

enum class MapPeriod { All, Today, Last7Days, Last30Days };
constexpr MapPeriod DefaultMapPeriod = MapPeriod::All;
constexpr MapPeriod MapPeriods[] = {MapPeriod::All, MapPeriod::Today, MapPeriod::Last7Days, MapPeriod::Last30Days};

// 全期間, 今日, 過去7日, 過去30日 (code page 932).
const char* MapPeriodCaption(MapPeriod period);

// The command-line word: all, today, 7, 30.
const char* MapPeriodWord(MapPeriod period);

// Reads a command-line word, exactly as MapPeriodWord writes it; anything
// else (another spelling, a null) is refused and period is left alone.
bool ParseMapPeriod(const char* word, MapPeriod& period);

// Whether the day that lies daysAgo days before today (0 = today) belongs to
// the period. The whole period takes every day, even one dated after today
// by a clock that was set back.
bool MapPeriodTakesDay(MapPeriod period, int daysAgo);
