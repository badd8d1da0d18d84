#pragma once
// The Options dialog: start Kivora at logon, by a shortcut in the Startup
// folder; the strokes per program recorded or not, and deleted.
#include <windows.h>

// Modal, owned by owner. forgetPrograms deletes the logged-in user's strokes
// per program recorded so far (false when it cannot now).
void ShowOptionsDialog(HWND owner, bool (*forgetPrograms)());
