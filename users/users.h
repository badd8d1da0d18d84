#pragma once
// Who can log in and who is registering: the application folder, the user
// list found in its data folder, and the login and new-user dialogs.
#include <windows.h>

#include <atomic>

#include "users/user_names.h"

// Folder that holds the data folder and the settings file; no trailing backslash.
extern char AppFolder[PathCapacity];
// AppFolder + "\" + "set.ini".
extern char SettingsPath[PathCapacity];
// The data files found in AppFolder\data, in the order the search returned
// them ("taro.dat"), and the user names shown for them ("taro").
extern char UserFiles[MaxUsers][UserEntryCapacity];
extern char UserNames[MaxUsers][UserEntryCapacity];
// The list entry selected now (-1: none), and the one chosen last, which the
// next opening of the login dialog selects again.
extern int SelectedUser;
extern int LastSelection;
// 0 until the first log-off: tells the start-up login from a re-login.
extern LONG ReloginFlag;

// The name typed in the new-user dialog, at most 49 bytes.
extern char NewUserName[NewUserNameCapacity];
// 1 after a registration until the registration check has zeroed the counts
// once more (or another user's counts have been loaded).
extern std::atomic<LONG> NewUserPending;

// The login dialog: modal, owned by owner (none at start-up).
void ShowLoginDialog(HWND owner);

// Run by the polling thread after every pass: right after a registration,
// the first pass that finds a lowercase letter counted zeroes the counts again.
void RunRegistrationCheck();

// Steps of opening the login dialog, kept apart so they can be tested.
// AppFolder from "Kivora.lnk" in the current directory, else the current directory.
void WorkOutAppFolder();
// SettingsPath from AppFolder and string resource 1.
void WorkOutSettingsPath(HINSTANCE instance);
// Fills UserFiles and UserNames from AppFolder\data\*.dat; returns how many.
int ListUserFiles();
// Creates the settings file empty if it does not exist.
void EnsureSettingsFile();
// The data file of the user listed under name (as typed; else the first in
// another letter case), from AppFolder's user list. False when none.
bool FindUserDataFile(const char* name, char (&path)[PathCapacity]);
