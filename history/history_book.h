#pragma once
// The history of the logged-in user while Kivora runs. Only the running
// day's line is ever formatted: the text before and after it is kept as the
// bytes that were read, so a save each minute costs little more than
// writing them, however many years the file holds.
//
// The running day's counts are its base (the line the file had for it, if
// any) plus what the counter table rose by since the day's start point, a
// snapshot of the all-time counts. Nothing is done per stroke.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "history/history_file.h"
#include "history/local_date.h"

enum class HistoryLoad {
    Loaded,
    TooLarge,      // more than LargestHistoryFile bytes
    NotHistory,    // the first line is not exactly the header
};

// The same windows everywhere: today; today and the 6 days before; today
// and the 29 days before. Days after today (a clock set back) are in none.
struct HistoryPeriods {
    HistoryCounts today, last7, last30;
};

// A file's text in three pieces: the kept bytes before the running day's
// line, that line (empty while it is left out), the kept bytes after it.
// The pieces before and after belong to the book.
struct HistoryText {
    std::string_view before;
    std::string line;
    std::string_view after;
};

class HistoryBook {
public:
    // A fresh history (the header only) whose running day is 1970-01-01.
    HistoryBook();

    // The file's text (empty: no file yet, a fresh history) and the local
    // date of the running day. A refused text leaves the book as it was.
    // A loaded book has not begun: nothing counts towards the day yet.
    HistoryLoad Load(std::string_view text, const LocalDate& today);

    // Counting starts; the snapshot is the running day's start point. A
    // second call folds what was counted since the first into the day.
    void Begin(const HistoryCounts& snapshot);

    // When the date has changed: the running day's line is fixed with its
    // counts as of now, and the new date becomes the running day, starting
    // at this snapshot. A date already in the file (the clock set back)
    // goes on from that line. Returns false, doing nothing, on the same date.
    bool Advance(const LocalDate& now, const HistoryCounts& current);

    // The all-time counts were reset: what the day counted up to the reset
    // stays in the day, and counting goes on from the zeroed counts.
    void Rebase(const HistoryCounts& beforeReset, const HistoryCounts& afterReset);

    // What the day has counted is discarded (a user just registered): the
    // day's counts become 0, and counting goes on from this snapshot.
    void DropToday(const HistoryCounts& current);

    // The whole file text. The running day's line is left out while it has
    // neither running time nor strokes and the file had no line for it.
    std::string Render(const HistoryCounts& current) const;
    // The same text in pieces, so that a save writes the kept bytes without
    // copying them first.
    HistoryText RenderParts(const HistoryCounts& current) const;

    HistoryCounts TodayCounts(const HistoryCounts& current) const;
    HistoryPeriods Periods(const HistoryCounts& current) const;

    const LocalDate& Today() const { return today_; }
    // Lines kept only as bytes because they could not be read.
    int UnreadableLines() const { return unreadableLines_; }

private:
    // Splits a text with a good header around the running day's line.
    bool Split(std::string_view text, const LocalDate& today);

    LocalDate today_;
    std::string before_;          // from the header up to the running day's line
    std::string after_;           // everything after it
    bool hadTodayLine_ = false;
    HistoryCounts base_;          // the day's counts before its start point
    HistoryCounts start_;
    bool begun_ = false;
    HistoryCounts earlier7_;      // readable days of the windows, today not included
    HistoryCounts earlier30_;
    int unreadableLines_ = 0;
};

// The periods of a file's text on a date, with nothing running (the command
// line's export). Empty when the text is refused.
std::optional<HistoryPeriods> HistoryPeriodsOfText(std::string_view text, const LocalDate& today);
