#pragma once
#include <windows.h>

// The About box, modal, owned by owner.
void ShowAboutBox(HWND owner);
