#pragma once
#include <windows.h>

// Shared by the login and new-user dialogs.

// The first login of the run shows the icon and builds the windows that show
// the counts; later logins reuse them.
void CompleteFirstLogin();

// The new-user dialog, modal, owned by the login dialog. Sets NewUserPending
// to 1 when it has registered and logged in a user.
void ShowNewUserDialog(HWND owner);
