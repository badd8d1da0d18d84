#include "keymap/map_png.h"

#include "win/wide_text.h"

bool WriteKeyMapPng(const std::wstring& path, const KeyMapPicture& picture, int width, int height)
{
    auto draw = [](HDC dc, const RECT& area, const void* context) {
        DrawKeyMap(dc, area, *static_cast<const KeyMapPicture*>(context));
    };
    return WritePicturePng(path, width, height, draw, &picture);
}

bool WriteKeyMapPng(const char* path, const KeyMapPicture& picture, int width, int height)
{
    return path != nullptr && WriteKeyMapPng(WideFromCodePage(path), picture, width, height);
}
