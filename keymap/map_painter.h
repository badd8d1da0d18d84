#pragma once
// The key map drawn with GDI into any device context: the keyboard tab's
// paint and the off-screen bitmap of a picture file share this drawing.
#include <windows.h>

#include <array>

#include "keymap/key_geometry.h"
#include "paint/paint_tools.h"

struct KeyMapPicture {
    KeyCounts counts{};                       // by the history's key index
    MapMode mode = DefaultMapMode;
    const char* title = nullptr;              // code page 932; null or "" for none
    PaintColours colours = DocumentColours;   // ScreenColours() on the tab
};

// Draws the whole of area: background, keys coloured by their values with
// legend and count, the colour scale with its end values, and the title line.
// The context's selected objects, colours and modes are as they were after.
void DrawKeyMap(HDC dc, const RECT& area, const KeyMapPicture& picture);

// Draws only the chosen keys again, over a drawing of the same area, on the
// scale of picture's counts: what the rest shows is unchanged (the keys that
// KeysDrawnOtherwise names), or is drawn by DrawKeyMapScale.
void DrawKeyMapKeys(HDC dc, const RECT& area, const KeyMapPicture& picture, const KeySelection& only);

// Draws the colour scale and its end values again (its top moved).
void DrawKeyMapScale(HDC dc, const RECT& area, const KeyMapPicture& picture);
