#include "store/program_strokes.h"

#include <mutex>

namespace {

struct Strokes {
    std::mutex lock;
    AppCounts counts;
} Programs, Shortcuts;

} // namespace

void AddProgramStrokes(std::string_view program, int64_t strokes)
{
    std::lock_guard<std::mutex> guard(Programs.lock);
    AddAppStrokes(Programs.counts, program, strokes);
}

AppCounts ProgramStrokesSoFar()
{
    std::lock_guard<std::mutex> guard(Programs.lock);
    return Programs.counts;
}

void AddShortcutStrokes(std::string_view shortcut, int64_t strokes)
{
    std::lock_guard<std::mutex> guard(Shortcuts.lock);
    AddAppStrokes(Shortcuts.counts, shortcut, strokes);
}

Tallies TalliesSoFar()
{
    Tallies tallies;
    Of(tallies, Tally::Apps) = ProgramStrokesSoFar();
    std::lock_guard<std::mutex> guard(Shortcuts.lock);
    Of(tallies, Tally::Shortcuts) = Shortcuts.counts;
    return tallies;
}
