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

// The keys of KeyboardKeys() by their place in it.
using KeySelection = std::array<bool, KeyboardKeyCount>;

// Draws only the chosen keys again, over a drawing of the same area whose
// scale ends at the same highest count: what the rest shows is unchanged.
void DrawKeyMapKeys(HDC dc, const RECT& area, const KeyMapPicture& picture, const KeySelection& only);
