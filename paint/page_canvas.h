#pragma once
// What the tab pages that show a drawing share (the keyboard tab's map, the
// history tab's chart): the drawing kept in a bitmap of the page's own that
// the paint only copies, a refresh timer that runs only while the page is
// seen, and the row of controls at the top with the save button at the right
// edge.
//
// The bitmap is why typing costs these pages little: the polling thread marks
// the count pages' bands of the main window at every stroke, those marks
// reach whichever page is shown, and a copy of a band is all they cost.
#include <windows.h>

struct PageCanvas {
    RECT area = {};                 // the page's client pixels the drawing takes
    HDC dc = nullptr;               // a memory context that holds bitmap
    HBITMAP bitmap = nullptr;       // the drawing as last made, of area's size
    HGDIOBJ dcDefault = nullptr;    // what dc held before bitmap
    bool timerSet = false;
};

constexpr UINT_PTR PageRefreshTimer = 1;

// At WM_SIZE: the controls keep their places from the template but the save
// button, which goes to the right edge; the drawing takes the rest of the
// page below them, and below secondRow too while it is shown (a control
// under the row, or 0). The bitmap of the old size is dropped.
void FitPageCanvas(HWND page, int width, int height, int saveButton, PageCanvas& canvas, int secondRow = 0);

// Makes the bitmap of the area's size, kept while the page keeps its size.
// True when there is one; false for an empty area or when GDI refuses.
bool ReadyPageCanvas(HWND page, PageCanvas& canvas);
void DropPageCanvas(PageCanvas& canvas);

// Copies the bitmap into the part of the area that a paint covers.
void CopyPageCanvas(HDC dc, const RECT& painted, const PageCanvas& canvas);

// The refresh timer (PageRefreshTimer) runs only while the page is seen: a
// paint starts it, and a tick that finds the page hidden (another tab, the
// window minimised or in the notification area) stops it, so that the paint
// that comes when the page is seen again starts it anew.
void StartPageRefreshing(HWND page, PageCanvas& canvas, UINT periodMs);
// At a tick: true while the page is seen; else false, the timer stopped.
bool SeenAtTick(HWND page, PageCanvas& canvas);
// At WM_DESTROY: the timer stopped and the bitmap dropped.
void ClosePageCanvas(HWND page, PageCanvas& canvas);
