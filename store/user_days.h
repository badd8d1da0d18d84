#pragma once
// The logged-in user's days: the keeper of the days (history_keeper.h) over
// the user's files in the data folder, behind a lock of its own, since the
// polling thread drops the running day after a registration while the
// interface thread saves. The store calls it while holding its file lock,
// never the other way round. The counts it is given are snapshots of the
// all-time counts (SnapshotOf the data file's values): the days are what
// they rose by.
#include <optional>
#include <string>
#include <vector>

#include "history/history_keeper.h"

// At a login: reads the user's pending days and history; counting starts
// from loaded. Returns the keeper's state: Open when the days could be read,
// Closed when the data file's path leaves no room for a history's.
KeeperState OpenUserHistory(const char* dataFilePath, const HistoryCounts& loaded);
// At a registration: an empty history; files left under that name by an
// earlier user of the name are kept as <name>.history.csv.bak (.bak2, .bak3
// and so on when earlier backups are there), its pending days likewise.
// Before the new data file is made, MarkEarlierUsersDays marks them as the
// earlier user's: no restart takes them for the new user's.
void MarkEarlierUsersDays(const char* dataFilePath);
KeeperState StartNewUserHistory(const char* dataFilePath);

// Saves the days counted up to now: before the data file, so that a kill
// between the two never leaves a stroke in the totals alone. A minute's save
// writes the running day (history_keeper.h); one for leaving, every day into
// the history.
DaysSaved SaveUserHistory(const HistoryCounts& now, SaveKind kind);

// What leaving now would cost, with the names of the history and pending
// files ("taro.history.csv", "taro.history.pending") for the question.
LeavingRisk HistoryRisk(std::string& historyName, std::string& pendingName);

// Each second of the clock, before the second is counted: a new date closes
// the running day, so that strokes and seconds go to the day they fell on.
void KeepHistoryDate(const HistoryCounts& now);

// The totals were reset: the day keeps what it counted. The counts since a
// registration are dropped with it: the new user's history starts empty.
void RebaseHistory(const HistoryCounts& beforeReset, const HistoryCounts& afterReset);
void DropHistoryDay(const HistoryCounts& now);

// Today, the last 7 and the last 30 days, with the running day as it stands;
// nothing while the history cannot be read.
std::optional<HistoryPeriods> CurrentHistoryPeriods(const HistoryCounts& now);

// Every readable day in date order, the running day with its counts as they
// stand; nothing while the history cannot be read.
std::optional<std::vector<HistoryDay>> CurrentHistoryDays(const HistoryCounts& now);

// The strokes per program over the days of range, today's as they stand;
// nothing while the history cannot be read.
std::optional<AppCounts> CurrentProgramStrokes(const DateRange& range);

// The strokes per program recorded so far deleted: apps.csv, their days in
// the pending file and what is not saved yet; false when that cannot be done
// now (another program holds a file).
bool ForgetProgramStrokes();

// Rises whenever the days change otherwise than by the running day's
// counting: a login, a registration, a save, a new day. Who draws the days
// reads them again when it has moved.
unsigned HistoryVersion();
