#pragma once
#include <windows.h>

// Shared by the login and new-user dialogs.

// The first login of the run shows the icon and builds the windows that show
// the counts; later logins reuse them.
void CompleteFirstLogin();

// The new-user dialog, modal, owned by the login dialog. True when it has
// registered and logged in a user (it also sets NewUserPending to 1 for the
// polling thread's second zeroing).
bool ShowNewUserDialog(HWND owner);
