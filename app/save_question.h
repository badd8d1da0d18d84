#pragma once
// Saving before the user leaves, at log-off or exit. A failed save (the data
// file, or a history that another program holds) asks, in a box owned by
// owner, whether to try again, to stay, or to leave without saving.
#include <windows.h>

enum class Leaving { LogOff, Exit };

// True means go on leaving.
bool SaveBeforeLeaving(HWND owner, Leaving leaving);
