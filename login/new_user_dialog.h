#pragma once
// The new-user dialog: takes a name, refuses what cannot or must not become a
// user's data file, creates the file with zero counts and logs the user in.
#include <windows.h>

// Modal, owned by the login dialog. True when it has registered and logged in
// a user (it also sets NewUserPending to 1 for the polling thread's second
// zeroing).
bool ShowNewUserDialog(HWND owner);

// Run by the polling thread after every pass: right after a registration,
// the first pass that finds a lowercase letter counted zeroes the counts again.
void RunRegistrationCheck();
