#pragma once
// One PC's days as its files give them: its history folded with its pending
// file (each day max(its line, floor) + add, as a login folds them), and its
// programs, apps.csv folded with the pending file's program lines likewise.
//
// Read as input from elsewhere: a history line with a field past
// LargestDayValue, a day outside the days kept (compact_days.h), a second
// line of a date count for nothing; a pending file holds at most
// MostPendingDays days (the latest) and MostPendingApps program lines.
//
// What is kept between readings is small and does not grow with the years:
// per date a print of the folded day and of its programs (which tells a day
// that changed, and a copied day), and the history's and apps.csv's counts
// of the days a pending file may fold into next: the pending days and the
// last KeptLastDays days of each file. An update with new texts of some of
// the files tells which days changed, with their counts before and after;
// it needs the history (or apps.csv) read again only when the pending file
// names a day of it that is not kept, and is Unknown, with nothing to take
// away, when a day not kept changed (another program edited old days): the
// caller then reads every PC again.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sync/compact_days.h"

constexpr std::size_t MostPendingDays = 62;
constexpr std::size_t MostPendingApps = 4'096;
constexpr std::size_t KeptLastDays = 3;
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

// A date whose programs changed, with their prints (0: none).
struct AppsChange {
    int32_t day;
    uint64_t printBefore = 0, printAfter = 0;
    std::vector<AppStroke> before, after;
};

enum class PcUpdate {
    Done,
    NeedsHistory,   // nothing changed: call again with the history's text
    NeedsApps,      // likewise with apps.csv's
    Unknown,        // a day not kept changed: the changes are not all known
};

// A file's text for an update: given (empty for a file that is not there),
// or unchanged.
struct NewText {
    bool given = false;
    std::string_view text;
};

class PcDays {
public:
    // A first reading, with nothing kept before: each folded day (date, print,
    // counts) and each day's programs handed on as they are read, none held
    // in between.
    template <typename OnDay, typename OnApps>
    void Load(std::string_view history, std::string_view pending, std::string_view apps, const KeptDays& kept,
              AppNames& names, OnDay onDay, OnApps onApps);

    // The changed files' texts; the changes are appended. A file not of its
    // kind's form has no days. Done and Unknown leave the new state behind.
    PcUpdate Update(NewText history, NewText pending, NewText apps, const KeptDays& kept, AppNames& names,
                    std::vector<DayChange>& changes, std::vector<AppsChange>& appsChanges, bool everyChange);

    // The print of the folded day on that date (0 for none or no strokes).
    uint64_t PrintOn(int32_t day) const;
    bool HasDayOn(int32_t day) const;
    // The print of the folded programs of that date (0 for none).
    uint64_t AppsPrintOn(int32_t day) const;
    // A file of its kind's form was read, and not empty.
    bool Readable() const { return readable_[0] || readable_[1] || readable_[2]; }
    // Some line or file was past a limit at the last reading.
    bool PastLimit() const { return pastLimit_[0] || pastLimit_[1] || pastLimit_[2]; }
    void Clear() { *this = PcDays(); }

private:
    struct Day {
        int32_t day;
        bool inHistory = false;   // the history has a readable line for it
        bool inApps = false;      // apps.csv has programs on it
        bool hasDay = false;      // a folded day: a history line or pending counts
        bool hasApps = false;     // folded programs
        uint64_t print = 0;
        uint64_t appsPrint = 0;
    };
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
    const Day* Find(int32_t day) const;
    Day& Made(int32_t day);
    // The history's lines streamed into days_ and kept_, each folded day to
    // visit(day, print, counts), for a first reading.
    void LoadDays(std::string_view history, const KeptDays& kept,
                  void (*visit)(void* context, int32_t day, uint64_t print, const CompactDay& counts), void* context);
    void DropIfEmpty(int32_t day);
    bool ReadPending(std::string_view text, const KeptDays& kept, AppNames& names, std::vector<Pending>& days,
                     std::vector<PendingApp>& apps);
    // Whether the kept lines (programs) hold every old one that the pending
    // days, old and new, fold into.
    bool LinesKnown(const std::vector<Pending>& pending) const;
    bool AppsKnown(const std::vector<PendingApp>& pending) const;
    bool UpdateDays(NewText history, const std::vector<Pending>& pending, const KeptDays& kept,
                    std::vector<DayChange>& changes, bool everyChange);
    bool UpdateApps(NewText apps, const std::vector<PendingApp>& pending, const KeptDays& kept, AppNames& names,
                    std::vector<AppsChange>& changes, bool everyChange);

    std::vector<Day> days_;                 // every date with a folded day or programs, in date order
    std::vector<Kept> kept_;                // the history's counts of the kept days, in date order
    std::vector<AppStroke> keptApps_;       // apps.csv's of its kept days, in order
    std::vector<int32_t> keptAppDays_;      // those days, in order (some may have no programs)
    std::vector<Pending> pending_;          // in date order
    std::vector<PendingApp> pendingApps_;   // by date, then by number
    bool pastLimit_[3] = {};                // of the history, the pending file, apps.csv
    bool readable_[3] = {};
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
void PcDays::Load(std::string_view history, std::string_view pending, std::string_view apps, const KeptDays& kept,
                  AppNames& names, OnDay onDay, OnApps onApps)
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
    // Every day's programs anew, the pending file's among them.
    for (Day& day : days_) {
        day.hasApps = false;
        day.appsPrint = 0;
    }
    Update({}, {}, {true, apps}, kept, names, none, appsChanges, true);
    for (const AppsChange& change : appsChanges)
        onApps(change);
}
