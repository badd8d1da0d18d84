#include "sync/compact_days.h"

#include <algorithm>

#include "history/local_date.h"

namespace {

constexpr uint64_t PrintBasis = 14695981039346656037u;   // FNV-1a, 64 bits
constexpr uint64_t PrintPrime = 1099511628211u;

uint32_t Capped(uint64_t value) { return static_cast<uint32_t>(std::min<uint64_t>(value, LargestDayValue)); }

bool Earlier(const AppStroke& a, const AppStroke& b) { return a.day != b.day ? a.day < b.day : a.app < b.app; }

} // namespace

bool CompactOf(const HistoryCounts& counts, CompactDay& compact)
{
    if (counts.seconds < 0 || counts.seconds > LargestDayValue)
        return false;
    compact[0] = static_cast<uint32_t>(counts.seconds);
    for (int key = 0; key < HistoryKeyCount; ++key) {
        if (counts.keys[key] < 0 || counts.keys[key] > LargestDayValue)
            return false;
        compact[1 + key] = static_cast<uint32_t>(counts.keys[key]);
    }
    return true;
}

void AddCompact(HistoryCounts& sum, const CompactDay& day)
{
    // Far below the history's largest value: no cap to check.
    sum.seconds += day[0];
    for (int key = 0; key < HistoryKeyCount; ++key)
        sum.keys[key] += day[1 + key];
}

CompactDay FoldedDay(const CompactDay& history, const CompactDay& floor, const CompactDay& add)
{
    CompactDay folded;
    for (int field = 0; field < DayFields; ++field)
        folded[field] = Capped(uint64_t{std::max(history[field], floor[field])} + add[field]);
    return folded;
}

bool IsEmptyDay(const CompactDay& day)
{
    return std::all_of(day.begin(), day.end(), [](uint32_t field) { return field == 0; });
}

uint64_t DayPrint(const CompactDay& day)
{
    if (std::all_of(day.begin() + 1, day.end(), [](uint32_t field) { return field == 0; }))
        return 0;
    uint64_t print = PrintBasis;
    for (uint32_t field : day)
        print = (print ^ field) * PrintPrime;
    return print == 0 ? 1 : print;
}

KeptDays KeptDaysAround(const LocalDate& today)
{
    const int32_t number = DayNumber(today);
    return {number - DaysBack, number + DaysAhead};
}

std::vector<DaySums::DateSum>::iterator DaySums::Find(int32_t day)
{
    // Most changes are to the last days.
    if (!days_.empty() && days_.back().day < day)
        return days_.end();
    return std::lower_bound(days_.begin(), days_.end(), day, [](const DateSum& sum, int32_t d) { return sum.day < d; });
}

void DaySums::Add(int32_t day, const CompactDay& counts)
{
    auto at = Find(day);
    if (at == days_.end() || at->day != day)
        at = days_.insert(at, DateSum{day, DateOfDayNumber(day), 0, {}});
    ++at->pcs;
    for (int field = 0; field < DayFields; ++field)
        at->fields[field] += counts[field];
}

void DaySums::Take(int32_t day, const CompactDay& counts)
{
    auto at = Find(day);
    if (at == days_.end() || at->day != day)
        return;
    for (int field = 0; field < DayFields; ++field)
        at->fields[field] -= std::min(at->fields[field], counts[field]);
    if (--at->pcs == 0)
        days_.erase(at);
}

void DaySums::AddTo(std::vector<HistoryDay>& days) const
{
    // In place while every date is there already: the usual case, when this
    // PC runs every day the others do. Both in date order: one walk.
    std::size_t missing = 0;
    auto at = days.begin();
    for (const DateSum& sum : days_) {
        while (at != days.end() && at->date < sum.date)
            ++at;
        if (at != days.end() && at->date == sum.date)
            AddCompact(at->counts, sum.fields);
        else
            ++missing;
    }
    if (missing == 0)
        return;
    std::vector<HistoryDay> merged;
    merged.reserve(days.size() + missing);
    auto local = days.begin();
    for (const DateSum& sum : days_) {
        while (local != days.end() && local->date < sum.date)
            merged.push_back(*local++);
        if (local != days.end() && local->date == sum.date) {
            merged.push_back(*local++);   // added above
        } else {
            merged.push_back({sum.date, {}});
            AddCompact(merged.back().counts, sum.fields);
        }
    }
    merged.insert(merged.end(), local, days.end());
    days = std::move(merged);
}

void DaySums::AddDatesTo(std::vector<HistoryDay>& days) const
{
    std::vector<LocalDate> missing;
    auto at = days.begin();
    for (const DateSum& sum : days_) {
        while (at != days.end() && at->date < sum.date)
            ++at;
        if (at == days.end() || !(at->date == sum.date))
            missing.push_back(sum.date);
    }
    if (missing.empty())
        return;
    std::vector<HistoryDay> merged;
    merged.reserve(days.size() + missing.size());
    auto local = days.begin();
    for (const LocalDate& date : missing) {
        while (local != days.end() && local->date < date)
            merged.push_back(*local++);
        merged.push_back({date, {}});
    }
    merged.insert(merged.end(), local, days.end());
    days = std::move(merged);
}

void DaySums::AddOn(HistoryDay& day, std::size_t& cursor) const
{
    while (cursor < days_.size() && days_[cursor].date < day.date)
        ++cursor;
    if (cursor < days_.size() && days_[cursor].date == day.date)
        AddCompact(day.counts, days_[cursor++].fields);
}

HistoryCounts DaySums::Sum(const DateRange& range) const
{
    HistoryCounts sum;
    const int32_t first = DayNumber(range.first), last = DayNumber(range.last);
    auto at = std::lower_bound(days_.begin(), days_.end(), first, [](const DateSum& s, int32_t d) { return s.day < d; });
    for (; at != days_.end() && at->day <= last; ++at)
        AddCompact(sum, at->fields);
    return sum;
}

std::vector<HistoryDay> DaySums::AsDays() const
{
    std::vector<HistoryDay> days;
    days.reserve(days_.size());
    for (const DateSum& sum : days_) {
        days.push_back({sum.date, {}});
        AddCompact(days.back().counts, sum.fields);
    }
    return days;
}

AppNames::AppNames() : names_{std::string(OtherApps)}
{
    numbers_.emplace(names_[0], OtherAppsNumber);
}

uint32_t AppNames::NumberOf(std::string_view name)
{
    if (name.size() > LongestAppName) {
        pastLimit_ = true;
        return OtherAppsNumber;
    }
    auto known = numbers_.find(std::string(name));
    if (known != numbers_.end())
        return known->second;
    if (names_.size() > MostAppNames) {
        pastLimit_ = true;
        return OtherAppsNumber;
    }
    names_.emplace_back(name);
    const uint32_t number = static_cast<uint32_t>(names_.size() - 1);
    numbers_.emplace(names_.back(), number);
    return number;
}

void AppSums::Add(const AppStroke& stroke)
{
    if (stroke.strokes == 0)
        return;
    // Most strokes are the last day's.
    auto at = !entries_.empty() && Earlier(entries_.back(), stroke)
                  ? entries_.end()
                  : std::lower_bound(entries_.begin(), entries_.end(), stroke, Earlier);
    if (at != entries_.end() && at->day == stroke.day && at->app == stroke.app) {
        at->strokes += stroke.strokes;
        return;
    }
    if (entries_.size() >= MostAppEntries) {
        pastLimit_ = true;
        return;
    }
    entries_.insert(at, stroke);
}

void AppSums::AddAll(const std::vector<AppStroke>& strokes)
{
    if (!std::is_sorted(strokes.begin(), strokes.end(), Earlier)) {
        std::vector<AppStroke> sorted = strokes;
        std::stable_sort(sorted.begin(), sorted.end(), Earlier);
        AddAll(sorted);
        return;
    }
    // Another PC's days fall between those summed already: merged whole, not
    // inserted one by one, which would move the later entries each time.
    // The pairs new to the sums are counted first: room for them and half
    // again, as a vector grows (ShrinkToFit gives back the rest).
    auto same = [](const AppStroke& a, const AppStroke& b) { return a.day == b.day && a.app == b.app; };
    std::size_t count = entries_.size();
    auto old = entries_.begin();
    const AppStroke* last = nullptr;
    for (const AppStroke& stroke : strokes) {
        if (stroke.strokes == 0 || (last != nullptr && same(*last, stroke)))
            continue;
        last = &stroke;
        while (old != entries_.end() && Earlier(*old, stroke))
            ++old;
        count += old == entries_.end() || !same(*old, stroke) ? 1 : 0;
    }
    std::vector<AppStroke> merged;
    merged.reserve(std::min(count, std::max(entries_.size(), MostAppEntries)) * 3 / 2);
    old = entries_.begin();
    count = entries_.size();
    for (const AppStroke& stroke : strokes) {
        if (stroke.strokes == 0)
            continue;
        while (old != entries_.end() && Earlier(*old, stroke))
            merged.push_back(*old++);
        if (old != entries_.end() && same(*old, stroke))
            merged.push_back(*old++);
        if (!merged.empty() && same(merged.back(), stroke)) {
            merged.back().strokes += stroke.strokes;
        } else if (count < MostAppEntries) {
            merged.push_back(stroke);
            ++count;
        } else {
            pastLimit_ = true;
        }
    }
    merged.insert(merged.end(), old, entries_.end());
    entries_ = std::move(merged);
}

void AppSums::ShrinkToFit() { entries_.shrink_to_fit(); }

void AppSums::Take(const AppStroke& stroke)
{
    auto at = std::lower_bound(entries_.begin(), entries_.end(), stroke, Earlier);
    if (at == entries_.end() || at->day != stroke.day || at->app != stroke.app)
        return;   // past the limit, never added
    at->strokes -= std::min(at->strokes, stroke.strokes);
    if (at->strokes == 0)
        entries_.erase(at);
}

AppCounts AppSums::Sum(const DateRange& range, const AppNames& names) const
{
    const int32_t first = DayNumber(range.first), last = DayNumber(range.last);
    std::vector<int64_t> byNumber;
    auto at = std::lower_bound(entries_.begin(), entries_.end(), AppStroke{first, 0, 0}, Earlier);
    for (; at != entries_.end() && at->day <= last; ++at) {
        if (at->app >= byNumber.size())
            byNumber.resize(at->app + 1);
        byNumber[at->app] += at->strokes;
    }
    AppCounts sum;
    for (uint32_t number = 0; number < byNumber.size(); ++number) {
        if (byNumber[number] > 0)
            sum.push_back({names.NameOf(number), byNumber[number]});
    }
    std::sort(sum.begin(), sum.end(), [](const AppCount& a, const AppCount& b) { return a.app < b.app; });
    return sum;
}

AppBook AppSums::AsBook(const AppNames& names, Tally kind) const
{
    AppBook book(kind);
    for (std::size_t at = 0; at < entries_.size();) {
        const int32_t day = entries_[at].day;
        AppCounts counts;
        for (; at < entries_.size() && entries_[at].day == day; ++at)
            counts.push_back({names.NameOf(entries_[at].app), entries_[at].strokes});
        std::sort(counts.begin(), counts.end(), [](const AppCount& a, const AppCount& b) { return a.app < b.app; });
        book.Set(DateOfDayNumber(day), std::move(counts));
    }
    return book;
}
