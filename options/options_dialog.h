#pragma once
// The Options dialog: start Kivora at logon, by a shortcut in the Startup folder.
#include <windows.h>

// Modal, owned by owner.
void ShowOptionsDialog(HWND owner);
