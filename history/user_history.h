#pragma once
// The logged-in user's per-day history on disk: data\<user>.history.csv
// beside the data file. Read at every login, started empty for a new user,
// written at every save of the data file. Its own lock makes it safe from
// both threads; the store calls it while holding the file lock, never the
// other way round. The counts it is given are snapshots of the all-time
// counts (SnapshotOf the data file's values): the days are what they rose by.
//
// No counted stroke or second is lost from its day, whatever holds the file.
// While the history cannot be written (a spreadsheet holds it, it is full)
// or read (held at login, not a history), each save writes the days it could
// not take to data\<user>.history.pending, in one step; the pending days are
// folded into the history at the next login, or at the first save that can
// read and write it. A history that cannot be read is tried again at each
// save; it is never written over while it cannot be read.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "history/history_book.h"

// The history file that belongs to a data file: "taro.dat" gives
// "taro.history.csv" in the same folder. False when it would not fit.
bool HistoryPathOf(const char* dataFilePath, std::string& historyPath);

// The pending days' file that belongs to a history: "taro.history.csv" gives
// "taro.history.pending".
std::string PendingPathOf(const std::string& historyPath);

// Reads a history file whole, shared with a running Kivora's saves: Missing
// when there is none, Held when another program keeps it from being opened
// (after a few tries), Refused when it is larger than a history may be or
// cannot be read.
enum class HistoryFileRead { Read, Missing, Held, Refused };
HistoryFileRead ReadHistoryFile(const std::string& path, std::string& text);

// The local date as the user's clock shows it.
LocalDate TodaysDate();

// At a login: reads the user's history and its pending days; counting starts
// from loaded. Returns false when the history cannot be read now.
bool OpenUserHistory(const char* dataFilePath, const HistoryCounts& loaded);
// At a registration: an empty history; a file left under that name by an
// earlier user of the name is kept as <name>.history.csv.bak (.bak2, .bak3
// and so on when earlier backups are there), its pending days likewise.
bool StartNewUserHistory(const char* dataFilePath);

// What a save did with the days.
enum class HistorySave {
    Written,   // in the history file (or nobody logged in)
    Waiting,   // the history cannot be read or written now: kept pending
    Full,      // the history would grow past what a history may be: kept pending
};
HistorySave SaveUserHistory(const HistoryCounts& now);

// True while the last save could not write the history because it could not
// open or replace it (held by another program, read-only): what the question
// at log-off and exit tells. The file's name ("taro.history.csv") in name.
bool HistoryHeld(std::string& name);

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

// Rises whenever the days change otherwise than by the running day's
// counting: a login, a registration, a save, a new day. Who draws the days
// reads them again when it has moved.
unsigned HistoryVersion();
