#pragma once
// Who can log in and who is registering: the user list found in the
// application folder's data folder, the entry chosen in the login dialog, and
// the name of a user being registered. The dialogs (login/) fill these; the
// store reads them to know which file to load or create.
#include <windows.h>

#include <atomic>

#include "users/user_names.h"

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

// AppFolder from "Kivora.lnk" in the current directory, else the current directory.
void WorkOutAppFolder();
// SettingsPath from AppFolder and string resource 1.
void WorkOutSettingsPath(HINSTANCE instance);
// Creates the settings file empty if it does not exist.
void EnsureSettingsFile();
// Fills UserFiles and UserNames from AppFolder\data\*.dat; returns how many.
int ListUserFiles();
// The data file of the user listed under name (as typed; else the first in
// another letter case), from AppFolder's user list. False when none.
bool FindUserDataFile(const char* name, char (&path)[PathCapacity]);
