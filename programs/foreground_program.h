#pragma once
// Which program the strokes go to, while the user records them: the one
// whose window is in the foreground (it has the keyboard focus) when they
// are counted, named by its executable's file name in lowercase. The system
// is reached through ForegroundPort, as the keyboard is through
// KeyboardPort, so that the same steps run against Windows and against
// scripted foregrounds.
#include <cstdint>
#include <string>
#include <string_view>

class ForegroundPort {
public:
    virtual ~ForegroundPort() = default;
    // The process of the foreground window; 0 when there is none (the
    // secure desktop, a locked screen).
    virtual uint32_t ForegroundProcess() = 0;
    // The file name of the process's executable, lowercase UTF-8
    // ("notepad.exe"); false when the process cannot be opened or named.
    virtual bool ExecutableName(uint32_t process, std::string& name) = 0;
};

// What strokes into Kivora's own windows go to, whatever its file is called.
extern const std::string_view OwnProgramName;

// The foreground program, named once each time its process changes: the
// system is asked for the process each time, for its name only then.
class ForegroundProgram {
public:
    explicit ForegroundProgram(uint32_t ownProcess) : own_(ownProcess) {}
    // UTF-8; UnknownApp when it cannot be named.
    std::string_view Name(ForegroundPort& port);

private:
    uint32_t own_;
    uint32_t process_ = 0;
    bool named_ = false;
    std::string name_;
};

// The strokes a polling pass counted, added to the foreground program's
// (store/program_strokes.h). A pass that counted none asks nothing.
void GiveStrokes(int64_t strokes, ForegroundProgram& program, ForegroundPort& port);
