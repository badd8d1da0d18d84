#pragma once
// The history of the logged-in user while Kivora runs. Only the running
// day's line is ever formatted: the text before and after it is kept as the
// bytes that were read, so a save each minute costs little more than
// writing them, however many years the file holds.
//
// A text a spreadsheet saved back (a UTF-8 byte-order mark, LF line ends,
// quoted fields, YYYY/M/D dates, leading zeros, a total that is not the
// keys' sum) is put into Kivora's own form once, at the load: no mark, CRLF
// after every line, each readable line as AppendHistoryLine writes it, each
// unreadable one with its content as it was. A text already in that form is
// kept byte for byte.
//
// The running day's counts are its base (the line the file had for it, if
// any) plus what the counter table rose by since the day's start point, a
// snapshot of the all-time counts. Nothing is done per stroke.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_file.h"
#include "history/local_date.h"
#include "history/pending_history.h"

enum class HistoryLoad {
    Loaded,
    TooLarge,      // more than LargestHistoryFile bytes
    NotHistory,    // the first line is not the header
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

// Whether the text is within LargestHistoryFile, so that it would be read
// back: a text put into Kivora's own form (LF to CRLF, totals made right),
// folded days and the running day's line can take a history past it. The
// glue then keeps the days pending rather than write it.
bool FitsHistoryFile(const HistoryText& text);

class HistoryBook {
public:
    // A fresh history (the header only) whose running day is 1970-01-01.
    HistoryBook();

    // The file's text (empty: no file yet, a fresh history) and the local
    // date of the running day. A refused text leaves the book as it was.
    // A loaded book has not begun: nothing counts towards the day yet.
    HistoryLoad Load(std::string_view text, const LocalDate& today);

    // Folds pending days into a loaded book, before Begin: each day's counts
    // become max(its line's counts, floor) + add, the running day's base
    // included. A day without a line gets one, before the first later
    // readable day (as the running day's line is placed), unless its counts
    // are empty; unreadable lines stay where they are.
    void Fold(const PendingDays& pending);

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

    // A readable day's counts (the running day's as they stand, when it
    // would be written); nothing for a day without a readable line.
    std::optional<HistoryCounts> CountsOn(const LocalDate& date, const HistoryCounts& current) const;
    // Every readable day in date order, the running day as they stand when
    // it would be written. Reads every kept line: a few milliseconds for ten
    // years, so not for each second (TodayCounts is).
    std::vector<HistoryDay> Days(const HistoryCounts& current) const;

    const LocalDate& Today() const { return today_; }
    // Lines kept only as their content because they could not be read.
    int UnreadableLines() const { return unreadableLines_; }

private:
    // Splits a text with a good header around the running day's line, put
    // into Kivora's own form first if it is not in it.
    bool Split(std::string_view text, const LocalDate& today);
    // The same for a text whose header is as Kivora writes it; false, with
    // the book half made, at the first line that is not in Kivora's form.
    bool SplitOwnForm(std::string_view text, const LocalDate& today);
    bool WritesToday(const HistoryCounts& today) const { return hadTodayLine_ || !today.IsEmpty(); }

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

// The pending days as floors only, with the counts the book has for them
// now (after Fold): what to write to the pending file before the history,
// so that a kill between the two writes neither loses nor doubles an add.
PendingDays AsFloors(const HistoryBook& book, const PendingDays& days, const HistoryCounts& current);

// The periods of a file's text on a date, with nothing running (the command
// line's export). Empty when the text is refused.
std::optional<HistoryPeriods> HistoryPeriodsOfText(std::string_view text, const LocalDate& today);
