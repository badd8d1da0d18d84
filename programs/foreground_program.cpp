#include "programs/foreground_program.h"

#include "history/app_days.h"
#include "store/program_strokes.h"

const std::string_view OwnProgramName = "kivora.exe";

std::string_view ForegroundProgram::Name(ForegroundPort& port)
{
    const uint32_t process = port.ForegroundProcess();
    // A process id is checked again only when it changes: the name of one
    // that has ended and whose id came back is taken for its own at worst
    // until the foreground moves.
    if (named_ && process == process_)
        return name_;
    process_ = process;
    named_ = true;
    if (process == 0)
        name_ = UnknownApp;
    else if (process == own_)
        name_ = OwnProgramName;
    else if (!port.ExecutableName(process, name_) || name_.empty())
        name_ = UnknownApp;
    return name_;
}

void GiveStrokes(int64_t strokes, ForegroundProgram& program, ForegroundPort& port)
{
    if (strokes <= 0)
        return;
    AddProgramStrokes(program.Name(port), strokes);
}
