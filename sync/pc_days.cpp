#include "sync/pc_days.h"

#include <algorithm>

#include "history/day_range.h"

namespace {

constexpr uint64_t FingerprintBasis = 14695981039346656037u;   // FNV-1a, 64 bits
constexpr uint64_t FingerprintPrime = 1099511628211u;

bool NoCountLarger(const HistoryCounts& older, const HistoryCounts& newer)
{
    if (older.seconds > newer.seconds)
        return false;
    for (int key = 0; key < HistoryKeyCount; ++key) {
        if (older.keys[key] > newer.keys[key])
            return false;
    }
    return true;
}

} // namespace

bool DaysOfHistoryText(std::string_view text, const LocalDate& today, std::vector<HistoryDay>& days)
{
    HistoryBook book;
    if (book.Load(text, today) != HistoryLoad::Loaded)
        return false;
    days = book.Days(HistoryCounts{});
    return true;
}

std::vector<HistoryDay> AddDaysByDate(const std::vector<HistoryDay>& local, const std::vector<HistoryDay>& more)
{
    std::vector<HistoryDay> sum;
    sum.reserve(std::max(local.size(), more.size()));
    auto a = local.begin();
    auto b = more.begin();
    while (a != local.end() || b != more.end()) {
        if (b == more.end() || (a != local.end() && a->date < b->date)) {
            sum.push_back(*a++);
        } else if (a == local.end() || b->date < a->date) {
            sum.push_back(*b++);
        } else {
            sum.push_back(*a++);
            AddCounts(sum.back().counts, (b++)->counts);
        }
    }
    return sum;
}

HistoryPeriods PeriodsOfDays(const std::vector<HistoryDay>& days, const LocalDate& today)
{
    return {SumOfHistoryDays(days, {today, today}), SumOfHistoryDays(days, {AddDays(today, -6), today}),
            SumOfHistoryDays(days, {AddDays(today, -29), today})};
}

void AddPeriods(HistoryPeriods& sum, const HistoryPeriods& more)
{
    AddCounts(sum.today, more.today);
    AddCounts(sum.last7, more.last7);
    AddCounts(sum.last30, more.last30);
}

uint64_t FingerprintOf(std::string_view bytes)
{
    uint64_t print = FingerprintBasis;
    for (char byte : bytes)
        print = (print ^ static_cast<unsigned char>(byte)) * FingerprintPrime;
    return print;
}

bool IsEarlierState(const std::vector<HistoryDay>& older, const std::vector<HistoryDay>& newer)
{
    auto at = newer.begin();
    for (const HistoryDay& day : older) {
        at = std::lower_bound(at, newer.end(), day.date,
                              [](const HistoryDay& d, const LocalDate& date) { return d.date < date; });
        if (at == newer.end() || !(at->date == day.date) || !NoCountLarger(day.counts, at->counts))
            return false;
    }
    return true;
}
