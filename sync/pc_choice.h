#pragma once
// The list on the history and keyboard tabs that chooses whose figures they
// show: この PC (this PC's alone) or すべての PC (every PC of the user in the
// shared folder, the default). Shown only while a shared folder is set.
#include <windows.h>

#include "paint/page_canvas.h"

// Fills the list with the two choices and selects the page's.
void FillPcChoice(HWND list, bool thisPcOnly);
// The choice the list holds now.
bool ThisPcChosen(HWND list);
// Shows the list while a folder is set, hides it otherwise; true when that
// changed (the page is laid out anew).
bool ShowPcChoice(HWND list);
// At a tick of a page that is seen: the list shown or hidden as the folder
// is set now, and when that changed the drawing laid out anew under it.
void FollowPcChoice(HWND page, int list, int saveButton, PageCanvas& canvas);
// Whether the page shows every PC's figures: a folder is set and this PC's
// alone not chosen.
bool AllPcsShown(bool thisPcOnly);
