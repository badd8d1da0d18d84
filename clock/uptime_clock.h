#pragma once
// The uptime clock's one-second step: seconds, minutes and hours with their
// rollovers, the save each minute, and the strokes per hour.
#include "capture/counter_table.h"

class ClockPort {
public:
    virtual ~ClockPort() = default;
    virtual void Invalidate(const PixelRect& rect) = 0;
    // Saves the user's data file; called when the seconds run over to 0.
    virtual void Save() = 0;
};

// Adds exactly one second. The save runs after the minute has been raised
// but before the minutes run over into an hour, so the save made as the
// minutes reach 60 stores 60 and the old hour.
void AdvanceUptimeClock(CounterTable& table, ClockPort& port);

// Lifetime strokes per whole hour counted; 0 through the first hour.
int32_t StrokesPerHourOf(int32_t totalStrokes, int32_t hours);
