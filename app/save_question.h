#pragma once
// Saving before the user leaves, at log-off or exit. A failed save asks, in a
// box owned by owner, whether to try again, to stay, or to leave without
// saving.
#include <windows.h>

enum class Leaving { LogOff, Exit };

// True means go on leaving.
bool SaveBeforeLeaving(HWND owner, Leaving leaving);

// The question itself: IDTRYAGAIN, IDCONTINUE (leave without saving) or
// IDCANCEL (stay).
int AskAfterFailedSave(HWND owner, Leaving leaving);
