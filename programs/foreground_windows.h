#pragma once
// The foreground program as Windows names it, for the polling thread.
#include <cstdint>
#include <string>

#include "programs/foreground_program.h"

class WindowsForeground final : public ForegroundPort {
public:
    uint32_t ForegroundProcess() override;
    bool ExecutableName(uint32_t process, std::string& name) override;
};

// After each polling pass: while the strokes per program are recorded
// (set.ini APPS=1), the strokes it counted go to the foreground program.
// Only the polling thread calls it.
void GiveStrokesToForeground(int strokes);
