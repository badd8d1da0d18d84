#pragma once
#include <windows.h>

enum class CountPage { Lowercase, Uppercase, DigitsSymbols };

DLGPROC CountPageProcOf(CountPage page);

// Sets the 26 slot rectangles from where the slots of page lie in the main
// window. The three pages share one place, so any of them will do.
void LayOutSlotRects(HWND page);
