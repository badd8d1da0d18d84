#pragma once
// The key map as a PNG file, drawn off-screen and encoded by the Windows
// Imaging Component.
#include <string>

#include "keymap/map_painter.h"

// The picture's size: wide enough for five digits on every letter key.
constexpr int KeyMapPngWidth = 1200;
constexpr int KeyMapPngHeight = 480;
constexpr int LargestKeyMapPngSide = 8192;

// Draws the map at width x height (1 to LargestKeyMapPngSide each) and writes
// it to path (wide, or code page 932) as a 24-bit PNG: through a temporary
// file of its own, moved over path when complete, so that on failure nothing
// is left behind and a file already at path is untouched. Initialises COM
// for the call if the thread has not.
bool WriteKeyMapPng(const std::wstring& path, const KeyMapPicture& picture, int width = KeyMapPngWidth,
                    int height = KeyMapPngHeight);
bool WriteKeyMapPng(const char* path, const KeyMapPicture& picture, int width = KeyMapPngWidth,
                    int height = KeyMapPngHeight);
