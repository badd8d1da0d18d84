#pragma once
// What Kivora keeps of the other PCs' days, in a room that does not depend
// on what their files claim: a day's counts in 32-bit fields, their sums by
// date, and their programs' (and shortcuts') strokes by date under names
// kept once.
//
// The limits are figures that a PC Kivora counts on never reaches:
//   LargestDayValue  a day's seconds, or its strokes of one key, on one PC
//                    (a key polled every 20 ms all day long is struck
//                    4,320,000 times); a line with more counts for nothing.
//   MostPcs          other PCs read in one user's folder, in name order.
//   DaysBack/Ahead   the days kept: the last 20 years up to tomorrow (a PC
//                    in a time zone ahead of this one's).
//   MostAppNames     programs named over all other PCs and days; the strokes
//                    of any more go to OtherApps (app_days.h), as do those
//                    of a name longer than LongestAppName. Shortcuts alike,
//                    as many again.
//   MostAppEntries   (day, program) pairs kept; more are not counted. As
//                    many (day, shortcut) pairs besides.
// MostPcs PCs of LargestDayValue add up to less than 2^32: a sum never
// overflows its field.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "history/app_days.h"
#include "history/day_range.h"
#include "history/history_book.h"

constexpr int64_t LargestDayValue = 99'999'999;
constexpr int MostPcs = 16;
constexpr int32_t DaysBack = 7'305;
constexpr int32_t DaysAhead = 1;
constexpr std::size_t MostAppNames = 1'000;
constexpr std::size_t LongestAppName = 255;
constexpr std::size_t MostAppEntries = 262'144;
static_assert(LargestDayValue * 2 * MostPcs < (int64_t{1} << 32), "a sum of folded days fits its field");

// Seconds, then the keys in the history's order.
constexpr int DayFields = 1 + HistoryKeyCount;
using CompactDay = std::array<uint32_t, DayFields>;

// The day's counts, or none when a field is negative or past LargestDayValue.
bool CompactOf(const HistoryCounts& counts, CompactDay& compact);
// sum += day, field by field.
void AddCompact(HistoryCounts& sum, const CompactDay& day);
// max(history, floor) + add, each field at most LargestDayValue.
CompactDay FoldedDay(const CompactDay& history, const CompactDay& floor, const CompactDay& add);
// 0 for a day without strokes (never a copy of another); else a print that
// equal days share.
uint64_t DayPrint(const CompactDay& day);
bool IsEmptyDay(const CompactDay& day);

// The first and last day kept around today, as day numbers.
struct KeptDays {
    int32_t first, last;
    bool Contains(int32_t day) const { return day >= first && day <= last; }
};
KeptDays KeptDaysAround(const LocalDate& today);

// The other PCs' days added up by date: each date that some PC's counted
// day has, with how many PCs' days make it.
class DaySums final : public DaysToAdd {
public:
    void Add(int32_t day, const CompactDay& counts);
    void Take(int32_t day, const CompactDay& counts);
    void Clear() { days_.clear(); }
    std::size_t Days() const { return days_.size(); }

    // days += the sums, date by date; days in date order, one a date.
    void AddTo(std::vector<HistoryDay>& days) const;
    void AddDatesTo(std::vector<HistoryDay>& days) const override;
    void AddOn(HistoryDay& day, std::size_t& cursor) const override;
    HistoryCounts Sum(const DateRange& range) const;
    std::vector<HistoryDay> AsDays() const;

private:
    struct DateSum {
        int32_t day;
        LocalDate date;   // the day's, found once
        uint32_t pcs;
        CompactDay fields;
    };
    std::vector<DateSum>::iterator Find(int32_t day);
    std::vector<DateSum> days_;   // in date order
};

// A program's (or a shortcut's) strokes of a day, its name kept in the
// AppNames of its tally.
struct AppStroke {
    int32_t day;
    uint32_t app;
    uint32_t strokes;
    bool operator==(const AppStroke&) const = default;
};

// A tally's names (programs', or shortcuts'), each kept once, up to
// MostAppNames.
class AppNames {
public:
    AppNames();
    // The name's number; OtherAppsNumber past the limits.
    uint32_t NumberOf(std::string_view name);
    const std::string& NameOf(uint32_t number) const { return names_[number]; }
    // Some program went to OtherApps for the limits.
    bool PastLimit() const { return pastLimit_; }
    void Clear() { *this = AppNames(); }

private:
    std::vector<std::string> names_;
    std::unordered_map<std::string, uint32_t> numbers_;
    bool pastLimit_ = false;
};
constexpr uint32_t OtherAppsNumber = 0;

// The other PCs' programs (or shortcuts) added up by date, at most
// MostAppEntries pairs.
class AppSums {
public:
    void Add(const AppStroke& stroke);
    // Each stroke added, in one pass (put by date, then by number, first).
    void AddAll(const std::vector<AppStroke>& strokes);
    // No more room held than the entries take, once every PC is added.
    void ShrinkToFit();
    void Take(const AppStroke& stroke);
    void Clear() { *this = AppSums(); }
    bool PastLimit() const { return pastLimit_; }
    std::size_t Entries() const { return entries_.size(); }

    AppCounts Sum(const DateRange& range, const AppNames& names) const;
    AppBook AsBook(const AppNames& names, Tally kind = Tally::Apps) const;

private:
    std::vector<AppStroke> entries_;   // by date, then by number
    bool pastLimit_ = false;
};

// Each tally's (apps.csv's, shortcuts.csv's) apart: its names and its sums.
using TallyNames = std::array<AppNames, TallyKinds>;
using TallySums = std::array<AppSums, TallyKinds>;
