#pragma once
// The Options dialog: start Kivora at logon, by a shortcut in the Startup
// folder; the strokes per program recorded or not, and deleted; the folder a
// sync engine shares between the user's PCs.
#include <windows.h>

// Modal, owned by owner. forgetPrograms deletes the logged-in user's strokes
// per program recorded so far (false when it cannot now). True when the
// shared folder was changed.
bool ShowOptionsDialog(HWND owner, bool (*forgetPrograms)());
