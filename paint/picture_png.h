#pragma once
// A drawing as a PNG file: drawn off-screen and encoded by the Windows
// Imaging Component.
#include <windows.h>

#include <string>

// Draws a picture into area of an off-screen context.
using PictureDrawing = void (*)(HDC dc, const RECT& area, const void* context);

constexpr int LargestPicturePngSide = 8192;

// Draws width x height pixels (1 to LargestPicturePngSide each) with draw and
// writes them to path (wide, or code page 932) as a 24-bit PNG: through a
// temporary file of its own, moved over path when complete, so that on
// failure nothing is left behind and a file already at path is untouched.
// Initialises COM for the call if the thread has not.
bool WritePicturePng(const std::wstring& path, int width, int height, PictureDrawing draw, const void* context);
bool WritePicturePng(const char* path, int width, int height, PictureDrawing draw, const void* context);
