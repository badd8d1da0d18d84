#pragma once
// One PC's days as its files give them: its history folded with its pending
// file (each day max(its line, floor) + add, as a login folds them), and its
// tallies by name, each folded likewise with the pending file's lines of it:
// its programs (apps.csv, appfloor and appadd lines) and its shortcuts
// (shortcuts.csv, shortcutfloor and shortcutadd lines). "apps.csv" below
// stands for either tally's file.
//
// Read as input from elsewhere: a history line with a field past
// LargestDayValue, a day outside the days kept (compact_days.h), a second
// line of a date count for nothing; a pending file holds at most
// MostPendingDays days (the latest) and MostPendingApps lines of each tally.
//
// What is kept between readings is small and does not grow with the years:
// per date a print of the folded day and of each tally's (which tells a day
// that changed, and a copied day), and the history's and apps.csv's counts
// of the days a pending file may fold into next: the pending days and the
// last KeptLastDays days of each file (of a tally's file, at most
// MostKeptTallyLines lines, whatever its days hold). An update with new
// texts of some of the files tells which days changed, with their counts
// before and after; it needs the history (or apps.csv) read again only when
// the pending file names a day of it that is not kept, and is Unknown, with
// nothing to take away, when a day not kept changed (another program edited
// old days): the caller then reads every PC again.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sync/compact_days.h"
#include "sync/pc_files.h"

constexpr std::size_t MostPendingDays = 62;
constexpr std::size_t MostPendingApps = 4'096;
constexpr std::size_t KeptLastDays = 3;
// A tally's lines kept of those days, at most: the latest days' that fit.
constexpr std::size_t MostKeptTallyLines = 8'192;
// Changed days an update takes one by one; more: Unknown.
constexpr std::size_t MostChangedDays = 64;

// A date whose folded day changed: had/has a folded day before/after, with
// its prints (0: no strokes) and counts.
struct DayChange {
    int32_t day;
    bool had = false, has = false;
    uint64_t printBefore = 0, printAfter = 0;
    CompactDay before{}, after{};
};

// A date whose programs (or shortcuts) changed, with their prints (0: none).
struct AppsChange {
    int32_t day;
    uint64_t printBefore = 0, printAfter = 0;
    std::vector<AppStroke> before, after;
    Tally kind = Tally::Apps;
};

enum class PcUpdate {
    Done,
    NeedsHistory,     // nothing changed: call again with the history's text
    NeedsApps,        // likewise with apps.csv's
    NeedsShortcuts,   // likewise with shortcuts.csv's
    Unknown,          // a day not kept changed: the changes are not all known
};
// The file an update needs read; none for Done and Unknown.
std::optional<PcFileKind> FileNeeded(PcUpdate update);

// A file's text for an update: given (empty for a file that is not there),
// or unchanged.
struct NewText {
    bool given = false;
    std::string_view text;
};
// Each tally's file, apps.csv's then shortcuts.csv's.
using TallyTexts = std::array<NewText, TallyKinds>;

class PcDays {
public:
    // A first reading, with nothing kept before: each folded day (date, print,
    // counts) and each day's tallies handed on as they are read, none held
    // in between.
    template <typename OnDay, typename OnApps>
    void Load(std::string_view history, std::string_view pending,
              const std::array<std::string_view, TallyKinds>& tallies, const KeptDays& kept, TallyNames& names,
              OnDay onDay, OnApps onApps);

    // The changed files' texts; the changes are appended. A file not of its
    // kind's form has no days. Done and Unknown leave the new state behind.
    PcUpdate Update(NewText history, NewText pending, const TallyTexts& tallies, const KeptDays& kept,
                    TallyNames& names, std::vector<DayChange>& changes, std::vector<AppsChange>& appsChanges,
                    bool everyChange);

    // The print of the folded day on that date (0 for none or no strokes).
    uint64_t PrintOn(int32_t day) const;
    bool HasDayOn(int32_t day) const;
    // The print of the folded tally of that date (0 for none).
    uint64_t TallyPrintOn(Tally kind, int32_t day) const;
    // A file of its kind's form was read, and not empty.
    bool Readable() const;
    // Some line or file was past a limit at the last reading.
    bool PastLimit() const;
    void Clear() { *this = PcDays(); }

private:
    static constexpr int Files = 2 + TallyKinds;   // the history, the pending file, each tally's
    static constexpr int TallyFile(Tally kind) { return 2 + static_cast<int>(kind); }
    // A flag per tally in a byte: a PC's day stays 32 bytes.
    class TallyFlags {
    public:
        bool operator[](int kind) const { return (bits_ >> kind) & 1u; }
        void Set(int kind, bool on) { bits_ = static_cast<uint8_t>(on ? bits_ | 1u << kind : bits_ & ~(1u << kind)); }

    private:
        uint8_t bits_ = 0;
    };
    struct Day {
        int32_t day;
        bool inHistory = false;   // the history has a readable line for it
        bool hasDay = false;      // a folded day: a history line or pending counts
        TallyFlags inTally{};     // the tally's file has names on it
        TallyFlags hasTally{};    // folded names
        uint64_t print = 0;
        std::array<uint64_t, TallyKinds> tallyPrint{};
        bool Empty() const;
    };
    static_assert(sizeof(Day) <= 32, "a PC's day a date, kept for years");
    struct Kept {
        int32_t day;
        CompactDay counts;
    };
    struct Pending {
        int32_t day;
        CompactDay floor{}, add{};
    };
    struct PendingApp {
        int32_t day;
        uint32_t app;
        uint32_t floor, add;
    };
    using PendingTallies = std::array<std::vector<PendingApp>, TallyKinds>;
    // A tally's file as kept between readings.
    struct TallyKept {
        std::vector<AppStroke> lines;     // of its kept days, in order
        std::vector<int32_t> days;        // those days, in order (some may have no names)
        std::vector<PendingApp> pending;  // by date, then by number
    };
    const Day* Find(int32_t day) const;
    Day& Made(int32_t day);
    // The history's lines streamed into days_ and kept_, each folded day to
    // visit(day, print, counts), for a first reading.
    void LoadDays(std::string_view history, const KeptDays& kept,
                  void (*visit)(void* context, int32_t day, uint64_t print, const CompactDay& counts), void* context);
    void DropIfEmpty(int32_t day);
    bool ReadPending(std::string_view text, const KeptDays& kept, TallyNames& names, std::vector<Pending>& days,
                     PendingTallies& tallies);
    // Whether the kept lines (a tally's) hold every old one that the pending
    // days, old and new, fold into.
    bool LinesKnown(const std::vector<Pending>& pending) const;
    bool TallyKnown(Tally kind, const std::vector<PendingApp>& pending) const;
    bool UpdateDays(NewText history, const std::vector<Pending>& pending, const KeptDays& kept,
                    std::vector<DayChange>& changes, bool everyChange);
    bool UpdateTally(Tally kind, NewText text, const std::vector<PendingApp>& pending, const KeptDays& kept,
                     AppNames& names, std::vector<AppsChange>& changes, bool everyChange);

    std::vector<Day> days_;                 // every date with a folded day or names, in date order
    std::vector<Kept> kept_;                // the history's counts of the kept days, in date order
    std::vector<Pending> pending_;          // in date order
    std::array<TallyKept, TallyKinds> tallies_;
    bool pastLimit_[Files] = {};            // of the history, the pending file, each tally's file
    bool readable_[Files] = {};
};

// The all-time counts of a keys file ("key,count" lines, maybe saved back by
// a spreadsheet); false when the text is not one.
bool ReadKeysText(std::string_view text, HistoryCounts& counts);

// Appends the readable days of a history's text, in date order; false when
// the text is not a history (another first line, too large).
bool DaysOfHistoryText(std::string_view text, const LocalDate& today, std::vector<HistoryDay>& days);
// local + more, date by date; both in date order, one day a date.
std::vector<HistoryDay> AddDaysByDate(const std::vector<HistoryDay>& local, const std::vector<HistoryDay>& more);
// Today, the last 7 and the last 30 days of days in date order.
HistoryPeriods PeriodsOfDays(const std::vector<HistoryDay>& days, const LocalDate& today);

// A short fingerprint of a file's bytes: equal bytes, equal prints.
uint64_t FingerprintOf(std::string_view bytes);

// True when every day of the older history is a day of the newer one with
// no count larger: older is what the history held at an earlier save, as
// far as its days tell. The older text is read line by line, whatever it
// holds.
bool IsEarlierHistory(std::string_view older, std::string_view newer);

template <typename OnDay, typename OnApps>
void PcDays::Load(std::string_view history, std::string_view pending,
                  const std::array<std::string_view, TallyKinds>& tallies, const KeptDays& kept, TallyNames& names,
                  OnDay onDay, OnApps onApps)
{
    Clear();
    std::vector<DayChange> none;
    std::vector<AppsChange> appsChanges;
    // The pending file first: the history's lines fold with it as they come.
    Update({}, {true, pending}, {}, kept, names, none, appsChanges, true);
    appsChanges.clear();
    LoadDays(history, kept,
             [](void* context, int32_t day, uint64_t print, const CompactDay& counts) {
                 (*static_cast<OnDay*>(context))(day, print, counts);
             },
             &onDay);
    // Every day's tallies anew, the pending file's among them.
    for (Day& day : days_) {
        day.hasTally = {};
        day.tallyPrint = {};
    }
    TallyTexts texts;
    for (int kind = 0; kind < TallyKinds; ++kind)
        texts[kind] = {true, tallies[kind]};
    Update({}, {}, texts, kept, names, none, appsChanges, true);
    for (const AppsChange& change : appsChanges)
        onApps(change);
}
