#pragma once
// The Save As question for a picture of the logged-in user, and the box that
// tells that it was not saved.
#include <windows.h>

#include <string>

// The Save As dialog proposing "<user><suffix>", e.g. "taro-keyboard.png";
// Kivora's own files refused. True with the path and the user's name.
bool AskPicturePath(HWND page, const char* suffix, std::string& user, char (&path)[MAX_PATH]);

// Tells the user that the picture was not saved: the history's days could
// not be read for the period shown, or the file could not be written.
void ShowPictureNotSaved(HWND page, bool historyOff);
