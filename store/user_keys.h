#pragma once
// The logged-in user's keys file, data\<user>.keys.csv beside the data file
// (keys_file.h): the other keys' all-time counts are loaded from it at a
// login and written to it with each save. A file that cannot be read is
// never written over: one that is no keys file, or has lines that cannot be
// read, is kept as <user>.keys.csv.bak (.bak2 ...) and what could be read is
// taken; one that another program holds is read at a later save, and its
// counts are added to what was counted meanwhile. The store calls these
// while it holds its file lock.
#include <string>

#include "capture/other_key_table.h"
#include "history/history_file.h"

// The keys file of a data file: "taro.dat" gives "taro.keys.csv".
std::string KeysPathOf(const char* dataFilePath);

// At a login: the other keys' counts in the user's file; zeros when there is
// none, or while another program holds it.
OtherCounts OpenUserKeys(const char* dataFilePath);
// At a registration: no counts. A file that an earlier user of the name left
// is kept as a backup, at a later save if it cannot be moved now; until then
// it is marked as the earlier user's (before the new data file is made:
// MarkEarlierUsersKeys), and no login takes its counts.
void MarkEarlierUsersKeys(const char* dataFilePath);
void StartNewUserKeys(const char* dataFilePath);

// Each save, after the days and before the data file: writes the all-time
// counts of every key. A file that could not be read before is read first
// and its counts added, the days rebased so that they do not take them for
// today's. True when written (or when nobody is logged in).
bool SaveUserKeys(const HistoryCounts& allTime);
// A reset: zeros replace the file's counts, whatever it held.
bool ResetUserKeys();
// The file's name ("taro.keys.csv") while the last save could not write it;
// empty when it could.
std::string UnsavedKeysName();

// For a command, which moves and writes nothing: the other keys' counts as a
// login would take them. A file that another program holds is waited for a
// moment; false when it stays held.
bool ReadUserKeysReadOnly(const char* dataFilePath, OtherCounts& others);
