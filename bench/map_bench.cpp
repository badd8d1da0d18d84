// The time to draw the key map once, off-screen, at the keyboard tab's size
// and at the picture's, with Kivora's own drawing. Arguments: the number of
// rounds. Prints one line per drawing: "paint width=W height=H us=N".
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "qpc_clock.h"
#include "screen_canvas.h"

#include "keymap/map_painter.h"
#include "keymap/map_png.h"

namespace {

// A day of typing: every counted key with a count of its own.
KeyMapPicture SamplePicture()
{
    KeyMapPicture picture;
    for (int key = 0; key < KeyMapValueCount; ++key)
        picture.counts[key] = static_cast<uint64_t>((key * 7919) % 2400);
    return picture;
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
    const SIZE sizes[] = {{470, 330}, {KeyMapPngWidth, KeyMapPngHeight}};
    KeyMapPicture picture = SamplePicture();
    HDC screen = GetDC(nullptr);
    for (SIZE size : sizes) {
        // As the tab draws it: into a bitmap compatible with the screen.
        ScreenCanvas canvas(screen, size.cx, size.cy);
        HDC memory = canvas.Dc();
        RECT area = {0, 0, size.cx, size.cy};
        for (int round = 0; round < rounds; ++round) {
            picture.counts[round % KeyMapValueCount] += 1;
            long long start = Now();
            DrawKeyMap(memory, area, picture);
            GdiFlush();
            std::printf("paint width=%ld height=%ld us=%.1f\n", size.cx, size.cy, Microseconds(Now() - start));
        }
    }
    ReleaseDC(nullptr, screen);
    std::fflush(stdout);
    return 0;
}
