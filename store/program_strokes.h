#pragma once
// The strokes counted per program since Kivora started, while the user has
// them recorded (the Options dialog; set.ini APPS=1): what the days of
// apps.csv rise by; and the shortcuts struck, always counted: what the days
// of shortcuts.csv rise by. Raised by the polling thread, read by the saves;
// they only ever rise, whoever is logged in.
#include <string_view>

#include "history/app_days.h"

void AddProgramStrokes(std::string_view program, int64_t strokes);
AppCounts ProgramStrokesSoFar();
void AddShortcutStrokes(std::string_view shortcut, int64_t strokes);
// Both, as the keeper of the days takes them.
Tallies TalliesSoFar();
