#include "store/program_strokes.h"

#include <mutex>

namespace {

struct Strokes {
    std::mutex lock;
    AppCounts counts;
} Programs;

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
