#pragma once
// The folder that the user's sync engine keeps the same on every PC, where
// Kivora puts this PC's counts and days and reads the other PCs' ([setup]
// SYNC in set.ini; empty or missing: off), and the id of this installation
// there ([setup] PCID). The settings file's path is passed: the folder's
// worker thread reads and writes these as well as the interface thread.
#include <cstddef>
#include <string>

#include "win/app_folder.h"

// The longest folder, in bytes of code page 932: its files' paths
// (<folder>\<user>\<pc>.history.csv.1.tmp) stay within Windows' limit.
constexpr std::size_t LongestSyncFolder = 140;

void ReadSyncFolder(const char* settingsPath, char (&folder)[PathCapacity]);
bool WriteSyncFolder(const char* settingsPath, const char* folder);
// As written; the caller checks its form.
std::string ReadPcIdSetting(const char* settingsPath);
bool WritePcIdSetting(const char* settingsPath, const std::string& id);
// A user's own id, once another installation was found writing under the
// installation's in that user's folder: PCID.<the name's bytes in hex>=,
// since a user name may hold what a key may not (=, a leading ;).
std::string ReadUserPcIdSetting(const char* settingsPath, const char* user);
bool WriteUserPcIdSetting(const char* settingsPath, const char* user, const std::string& id);
