#pragma once
// The point size in a dialog template. The dialog manager makes the
// template's font from it, and every dialog unit from that font: a template
// whose point size is scaled lays out the whole dialog, its controls and its
// figures at another scale.
#include <cstddef>
#include <cstdint>
#include <optional>

// Where the point size of an extended template (DIALOGEX, as the resource
// compiler writes it) lies, in 16-bit words from its start. None for a
// template of the older form, one without a font of its own (DS_SETFONT), or
// one cut short.
std::optional<std::size_t> TemplatePointSizeAt(const uint16_t* words, std::size_t count);

// The point size that lays a template out at wantedDpi when the dialog
// manager makes its font for assumedDpi: the nearest whole point.
int ScaledPointSize(int points, unsigned wantedDpi, unsigned assumedDpi);
