#pragma once
// Where the key map goes on a canvas of any size: an optional title line, the
// keyboard at the largest whole number of pixels per key unit that fits,
// centred, and below it the colour scale as a bar between its end values.
// Where the canvas has height to spare (the keyboard tab), the keys grow
// taller, up to half as tall again as they are wide, so that a legend and a
// count fit one above the other. Font sizes follow the key, so a small tab
// page and a large picture look alike. Rectangles are in the canvas's pixels,
// right and bottom exclusive.
#include <cstdint>

#include "keymap/key_geometry.h"
#include "paint/pixel_geometry.h"

// Below this many pixels per unit nothing is legible: nothing is drawn.
constexpr int SmallestKeyUnit = 8;

struct KeyMapLayout {
    int unit = 0;                 // pixels per key unit across; 0 when the canvas is too small
    int rowUnit = 0;              // pixels per key unit down: unit to unit * 3 / 2
    int left = 0, top = 0;        // the keyboard's top-left corner
    int keyInset = 0;             // each key face keeps this clear of its neighbours
    int legendFontPixels = 0;     // character height of a key's legend
    // A smaller one, for a legend too long for its key in the first.
    int reducedLegendFontPixels = 0;
    int smallFontPixels = 0;      // counts, the scale's end values
    // A count's digits narrowed so that four fit a key a unit wide (the tab
    // at 100 %); 0 where the small font's own do.
    int narrowDigitPixels = 0;
    int titleFontPixels = 0;      // 0 without a title
    PixelRect keyboard;           // the keys' bounds, gaps included
    PixelRect title;              // one line, left-aligned with the keyboard
    PixelRect scaleBar;           // the colour scale, pale at its left end
    PixelRect scaleLowText;       // "0", right-aligned to end just before the bar
    PixelRect scaleHighText;      // the highest value, left-aligned just after the bar
};

KeyMapLayout LayOutKeyMap(const PixelRect& canvas, bool withTitle);

// Every pixel the colour scale and its end values take.
PixelRect ScaleArea(const KeyMapLayout& layout);

// A key's face in pixels, inset on every side (Enter: its upper part).
PixelRect KeyFace(const KeyMapLayout& layout, const KeyCap& key);

// Every pixel a drawing of the key touches, its outline and Enter's lower
// part included: what to repaint when it changes.
PixelRect KeyArea(const KeyMapLayout& layout, const KeyCap& key);

// A key's outline as the corners of a polygon whose edges are drawn on the
// pixels named (right and bottom inclusive): four for a rectangle, six for
// Enter's inverted L. Returns the number of corners.
int KeyOutline(const KeyMapLayout& layout, const KeyCap& key, PixelPoint (&corners)[6]);

// Characters are narrowed to fit a key, but never below three quarters of
// their own width nor below five pixels: narrower than that, letters, digits
// and kanji run together.
constexpr int LegibleNarrowingQuarters = 3;

struct KeyTextPlaces {
    PixelRect legend;   // a counted key's upper half; the whole face of another
    PixelRect count;    // the lower half of a counted key; empty on another
    // What the legend says: the key's own, or its short form where only that
    // can be read at the key's size.
    const char* legendText = "";
    // Its font: the legend font, or a smaller one where only that fits.
    int legendPixels = 0;
    // For a legend too long for its key in that font, the width of a
    // half-width character that makes it fit (the same height, narrower);
    // 0 for the rest.
    int narrowWidth = 0;
};

// Of a key two rows high, the middle of its face. The first of these that
// fits: the legend in the legend font, in the reduced one, narrowed legibly
// in either; the short legend so; else the legend in the reduced font,
// narrowed to fit. (The map's font is fixed-pitch: each byte of code page 932
// takes half the character height.)
KeyTextPlaces PlaceKeyTexts(const KeyMapLayout& layout, const KeyCap& key);

// "18446744073709551615" and its NUL.
constexpr int KeyCountTextSize = 24;

// A value as text that fits roomPixels when each character takes about
// digitPixels (the blank first and last pixel may lie beyond): all its digits
// if they fit, else a shorter form cut down, not rounded (1.2k, 35k, 1.2M,
// 12M, 1.5G ...), else nothing.
void FormatKeyCount(uint64_t value, int roomPixels, int digitPixels, char (&text)[KeyCountTextSize]);

// The same, but all the digits in narrower ones (narrowDigitPixels; 0 for
// none) where only those hold them and they are narrowed legibly, else a
// shorter form, and a shorter form in the narrower ones where no other fits.
// Returns whether the text is meant in the narrower digits.
bool FormatKeyCount(uint64_t value, int roomPixels, int digitPixels, int narrowDigitPixels,
                    char (&text)[KeyCountTextSize]);
