#pragma once
// The span of days a key map adds up, as the tab page offers it and as the
// command line names it.

#include "history/history_book.h"
#include "keymap/key_geometry.h"
#include "store/user_record.h"

enum class MapPeriod { All, Today, Last7Days, Last30Days };
constexpr MapPeriod DefaultMapPeriod = MapPeriod::All;
constexpr MapPeriod MapPeriods[] = {MapPeriod::All, MapPeriod::Today, MapPeriod::Last7Days, MapPeriod::Last30Days};

// 全期間, 今日, 過去7日, 過去30日 (code page 932).
const char* MapPeriodCaption(MapPeriod period);

// The command-line word: all, today, 7, 30.
const char* MapPeriodWord(MapPeriod period);

// Reads a command-line word as MapPeriodWord writes it, in any letter case
// (the command prompt's habit); anything else (another word, a null) is
// refused and period is left alone.
bool ParseMapPeriod(const char* word, MapPeriod& period);

// The key counts a period shows: all time from the data file's values, the
// others from the history's sums (the same windows as the export).
KeyCounts KeyCountsOfPeriod(MapPeriod period, const StoredValues& values, const HistoryPeriods& periods);
