#pragma once
// Days the history file could not take yet (held by a spreadsheet, refused
// at login, a full disk): data\<user>.history.pending beside the history,
// written whole and atomically, folded into the history when it can be
// written again; with the days' strokes per program too, when they are
// recorded (apps.csv). CRLF, ASCII but for the programs' names (UTF-8):
//
//   kivora pending history 1
//   floor,<a history line>
//   add,<a history line>
//   appfloor,<a line of apps.csv>
//   appadd,<a line of apps.csv>
//   shortcutfloor,<a line of shortcuts.csv>
//   shortcutadd,<a line of shortcuts.csv>
//
// Each day has two count sets, and two for its programs and its shortcuts. floor: full counts the day is known to have
// at least. add: counts on top of whatever the history has. Folding a day
// into the history gives max(history, floor) + add, field by field. Floors
// can be folded any number of times; adds only once, so the program turns
// them into floors (the folded counts) before it writes the history.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "history/app_days.h"
#include "history/history_file.h"
#include "history/local_date.h"

// The first line, without its line end.
extern const std::string_view PendingHeader;
// Larger texts are refused whole, as histories are.
constexpr std::size_t LargestPendingFile = LargestHistoryFile;

struct PendingDay {
    LocalDate date;
    HistoryCounts floor;
    HistoryCounts add;
    // The day's strokes per program, when they are recorded, likewise; and
    // its shortcuts.
    AppCounts appFloor = {};
    AppCounts appAdd = {};
    AppCounts shortcutFloor = {};
    AppCounts shortcutAdd = {};
    bool operator==(const PendingDay&) const = default;
    bool IsEmpty() const
    {
        return floor.IsEmpty() && add.IsEmpty() && appFloor.empty() && appAdd.empty() && shortcutFloor.empty() &&
               shortcutAdd.empty();
    }
    AppCounts& FloorOf(Tally kind) { return kind == Tally::Apps ? appFloor : shortcutFloor; }
    AppCounts& AddOf(Tally kind) { return kind == Tally::Apps ? appAdd : shortcutAdd; }
    const AppCounts& FloorOf(Tally kind) const { return kind == Tally::Apps ? appFloor : shortcutFloor; }
    const AppCounts& AddOf(Tally kind) const { return kind == Tally::Apps ? appAdd : shortcutAdd; }
    bool HasTally(Tally kind) const { return !FloorOf(kind).empty() || !AddOf(kind).empty(); }
};

// Each date once, in date order; no day with both sets empty. Kept so by
// AddPendingDay, which every change goes through.
using PendingDays = std::vector<PendingDay>;

// Floors rise to the larger, field by field; adds are summed (capped as
// AddCounts caps). A day with nothing in it, or with a date that does not
// exist, is left out. For lines of one file, which hold what is known at one
// time.
void AddPendingDay(PendingDays& days, const PendingDay& day);
void CombinePending(PendingDays& into, const PendingDays& more);

// first, then folded after it: folding the result gives what folding first
// and then `then` gives, for any history. A later floor can have counted an
// earlier add already, so the add is taken off it: the floor becomes
// max(first.floor, then.floor - first.add) and the add first.add + then.add.
PendingDays ComposePending(const PendingDays& first, const PendingDays& then);

// True when some day has counts to add: such a file must not stay beside a
// history that has them folded in.
bool HasAdds(const PendingDays& days);

// max(history, day.floor) + day.add, field by field.
HistoryCounts FoldedCounts(const HistoryCounts& history, const PendingDay& day);
// The same for the day's programs, or its shortcuts.
AppCounts FoldedApps(const AppCounts& apps, const PendingDay& day, Tally kind = Tally::Apps);

// The file's text: the header, then for each day a floor line and an add
// line, each only when not empty.
std::string FormatPending(const PendingDays& days);

enum class PendingLoad {
    Loaded,
    TooLarge,     // more than LargestPendingFile bytes
    NotPending,   // the first line is not the header
};
// A refused text leaves days as they were. An empty text has no days. Lines
// that cannot be read are skipped and counted in unreadableLines (if given);
// a date's lines of one kind combine as AddPendingDay combines them. What a
// spreadsheet saves back is read as the same days: a UTF-8 byte-order mark,
// LF line ends, quoted fields, dates as 2026/12/7.
PendingLoad ParsePending(std::string_view text, PendingDays& days, int* unreadableLines = nullptr);
