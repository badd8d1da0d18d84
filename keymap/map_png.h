#pragma once
// The key map as a PNG file, through the picture writer.
#include <string>

#include "keymap/map_painter.h"
#include "paint/picture_png.h"

// The picture's size: the whole keyboard with its title and scale at 60
// pixels a key, which leaves room for five digits on every key.
constexpr int KeyMapPngWidth = 1400;
constexpr int KeyMapPngHeight = 540;
constexpr int LargestKeyMapPngSide = LargestPicturePngSide;

// Draws the map at width x height and writes it as WritePicturePng does.
bool WriteKeyMapPng(const std::wstring& path, const KeyMapPicture& picture, int width = KeyMapPngWidth,
                    int height = KeyMapPngHeight);
bool WriteKeyMapPng(const char* path, const KeyMapPicture& picture, int width = KeyMapPngWidth,
                    int height = KeyMapPngHeight);
