#pragma once
// A bitmap compatible with the screen, selected into a memory context: what
// a tab page draws into before it copies to the screen.
#include <windows.h>

class ScreenCanvas {
public:
    ScreenCanvas(HDC screen, int width, int height)
        : bitmap_(CreateCompatibleBitmap(screen, width, height)), dc_(CreateCompatibleDC(screen)),
          previous_(SelectObject(dc_, bitmap_))
    {
    }
    ~ScreenCanvas()
    {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    ScreenCanvas(const ScreenCanvas&) = delete;
    ScreenCanvas& operator=(const ScreenCanvas&) = delete;

    HDC Dc() const { return dc_; }

private:
    HBITMAP bitmap_;
    HDC dc_;
    HGDIOBJ previous_;
};
