#pragma once
// Pixels on a window or a picture: rectangles with right and bottom
// exclusive, and points. Portable, so that layouts are tested natively.
#include <cstdint>

struct PixelRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const PixelRect&) const = default;
};

struct PixelPoint {
    int32_t x = 0, y = 0;
    bool operator==(const PixelPoint&) const = default;
};
