#pragma once
// When the strokes fall, for the history's columns activeminutes, bestminute
// and h00 to h23: worked out from the total of every key's strokes as the
// one-second clock sees it, never in the polling pass.
//
// A clock minute (12:34 as the user's clock shows it) with at least one
// stroke is an active minute; the running day's best minute is the most
// strokes in one of them; each stroke goes to the clock hour it fell in.
// Strokes that came since the clock's last look belong to the minute and
// hour of that look, so that every stroke is in exactly one hour and one
// minute, whatever the clock does: a change of summer time, the clock set
// back (an hour seen twice takes both), a new date.
//
// The figures are a snapshot's (HistoryCounts): active minutes and hours
// since the start, the best minute of the running date's; a snapshot taken
// between two looks counts the strokes since the last look in its minute, so
// that the snapshots only rise (but the best minute, which a new date starts
// again) and the hours always add up to the strokes since the start.
#include <array>
#include <cstdint>

#include "history/history_file.h"
#include "history/local_date.h"

// The user's clock, to the minute.
struct ClockMinute {
    LocalDate date;
    int hour = 0;     // 0-23
    int minute = 0;   // 0-59
    bool operator==(const ClockMinute&) const = default;
};

class TypingTime {
public:
    // Counting starts from this total of every key's strokes: nothing yet.
    void Start(int64_t allStrokes, const ClockMinute& now);
    // Each second: the strokes since the last look go to that look's minute
    // and hour; a new minute closes the last one, a new date starts the best
    // minute again.
    void Look(int64_t allStrokes, const ClockMinute& now);
    // The total moved without strokes (a reset, counts taken late): from
    // here on, nothing of the move goes to any hour.
    void Rebase(int64_t allStrokes);
    // A snapshot's activeMinutes, bestMinute and hours, its AllStrokes() the
    // total now.
    void Fill(HistoryCounts& snapshot) const;

private:
    ClockMinute at_;
    int64_t seen_ = 0;            // the total at the last look
    int64_t minuteStrokes_ = 0;   // in at_'s minute so far
    int64_t activeMinutes_ = 0;   // closed minutes with a stroke
    int64_t bestMinute_ = 0;      // of at_'s date, closed minutes
    std::array<int64_t, HoursOfDay> hours_{};
};
