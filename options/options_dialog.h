#pragma once
// The Options dialog: start Kivora at logon, by a shortcut in the Startup
// folder; the folder a sync engine shares between the user's PCs.
#include <windows.h>

// Modal, owned by owner. True when the shared folder was changed.
bool ShowOptionsDialog(HWND owner);
