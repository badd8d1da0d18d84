#pragma once
#include <windows.h>

#include "keys/key_table.h"

// The dialog procedure of a count page; null for CountPage::None.
DLGPROC CountPageProcOf(CountPage page);

// Sets the 26 slot rectangles from where the slots of page lie in the main
// window. The three pages share one place, so any of them will do.
void LayOutSlotRects(HWND page);
