#pragma once
// The logged-in user's per-day history on disk: data\<user>.history.csv
// beside the data file. Read at every login, started empty for a new user,
// written at every save of the data file. Its own lock makes it safe from
// both threads; the store calls it while holding the file lock, never the
// other way round. The counts it is given are snapshots of the all-time
// counts (SnapshotOf the data file's values): the days are what they rose by.
//
// A history file that cannot be read (larger than 16 MiB, not a history,
// unreadable) is left untouched: counting and the data file's saves go on,
// and the failure is told once on the icon.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "history/history_book.h"

// The history file that belongs to a data file: "taro.dat" gives
// "taro.history.csv" in the same folder. False when it would not fit.
bool HistoryPathOf(const char* dataFilePath, std::string& historyPath);

// Reads a history file whole, shared with a running Kivora's saves: Missing
// when there is none, Refused when it is larger than a history may be or
// cannot be read.
enum class HistoryFileRead { Read, Missing, Refused };
HistoryFileRead ReadHistoryFile(const std::string& path, std::string& text);

// The local date as the user's clock shows it.
LocalDate TodaysDate();

// At a login: reads the user's history; counting starts from loaded.
// Returns false when the file is refused (the history is then off).
bool OpenUserHistory(const char* dataFilePath, const HistoryCounts& loaded);
// At a registration: an empty history; a file left under that name by an
// earlier user of the name is kept as <name>.history.csv.bak (.bak2, .bak3
// and so on when earlier backups are there).
bool StartNewUserHistory(const char* dataFilePath);

// Writes the history with the counts as they stand. True when written, or
// when there is nothing to write; false when the file could not be written
// or the history is off.
bool SaveUserHistory(const HistoryCounts& now);

// Each second of the clock, before the second is counted: a new date closes
// the running day, so that strokes and seconds go to the day they fell on.
void KeepHistoryDate(const HistoryCounts& now);

// The totals were reset: the day keeps what it counted. The counts since a
// registration are dropped with it: the new user's history starts empty.
void RebaseHistory(const HistoryCounts& beforeReset, const HistoryCounts& afterReset);
void DropHistoryDay(const HistoryCounts& now);

// Today, the last 7 and the last 30 days, with the running day as it stands;
// nothing while the history is off.
std::optional<HistoryPeriods> CurrentHistoryPeriods(const HistoryCounts& now);

// Every readable day in date order, the running day with its counts as they
// stand; nothing while the history is off.
std::optional<std::vector<HistoryDay>> CurrentHistoryDays(const HistoryCounts& now);

// Rises whenever the days change otherwise than by the running day's
// counting: a login, a registration, a save, a new day. Who draws the days
// reads them again when it has moved.
unsigned HistoryVersion();
