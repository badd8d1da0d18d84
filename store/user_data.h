#pragma once
// Binding the counter table to the logged-in user's data file: load at login,
// save each minute, at log-off and at exit, reset on request and when a new
// user is registered. Also who is logged in: the file path and name, and the
// main window's title.
#include <windows.h>

#include <atomic>

#include "history/history_keeper.h"
#include "store/user_record.h"
#include "users/user_names.h"

// Full path of the logged-in user's data file; empty before the first login.
extern char DataFilePath[PathCapacity];
// File name of the user whose counts are in memory, e.g. "taro.dat".
extern char CurrentUserFile[PathCapacity];
// 1: the next ResetUserData resets the current user; 0 (its resting value):
// it creates the new user named by NewUserName.
extern std::atomic<LONG> ResetMode;

// Loads the file of the user selected in the login list into the counts and
// window's title. Returns 0, or -1 after telling the user why the file was
// refused, in a box owned by boxOwner (the dialog that asked for the load);
// counts, path and title then stay as they were.
int LoadUserData(HWND window, HWND boxOwner);

// Saves the counts in memory to DataFilePath, replacing the file in one step.
// Returns 0 when saved (or when nobody is logged in yet), -1 on failure; the
// counts stay in memory either way. The days go first: each minute the
// running day's, before leaving (log-off, exit, the end of the session) every
// day into the history.
int SaveUserData(SaveKind kind = SaveKind::Minute);

// Reads a data file as the login does, but shared and without writing
// anything (no file is created, no interrupted save recovered): for the
// commands that run beside Kivora. False when missing, too large or unreadable.
bool ReadUserDataReadOnly(const char* path, StoredValues& values);

// Told after each login, registration and save, outside the file lock, with
// the data file's path and name: what follows the user's files (their copies
// in a shared folder) starts from here. The shell sets it.
using UserFilesFollower = void (*)(const char* dataFilePath, const char* userFile);
void FollowUserFiles(UserFilesFollower follower);
// Tells it now, as after a save: what it does has changed (another folder).
void FollowUserFilesNow();

// Zeroes every stored value and writes the zeroed file: the current user's
// (ResetMode 1) or a new file for NewUserName (ResetMode 0), which becomes the
// logged-in user's. Creating never replaces an existing file; when it fails,
// nothing changes. Returns 0 or -1.
int ResetUserData(HWND window);
