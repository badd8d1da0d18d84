#include "sync/pc_days.h"

#include <algorithm>

#include "history/pending_history.h"

namespace {

constexpr uint64_t FingerprintBasis = 14695981039346656037u;   // FNV-1a, 64 bits
constexpr uint64_t FingerprintPrime = 1099511628211u;
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
constexpr CompactDay NoCounts{};

std::string_view Content(std::string_view text, const LineSpan& line)
{
    return text.substr(line.begin, line.contentEnd - line.begin);
}

std::string_view WithoutMark(std::string_view text)
{
    if (text.starts_with(ByteOrderMark))
        text.remove_prefix(ByteOrderMark.size());
    return text;
}

std::string_view Unquoted(std::string_view field)
{
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        field = field.substr(1, field.size() - 2);
    return field;
}

// The dates of the days kept, a bit each: the first readable line of a date
// is its line, a later one counts for nothing.
class SeenDays {
public:
    explicit SeenDays(const KeptDays& kept)
        : first_(kept.first), bits_(static_cast<std::size_t>(kept.last - kept.first) / 64 + 1)
    {
    }
    bool Insert(int32_t day)
    {
        const auto at = static_cast<std::size_t>(day - first_);
        const uint64_t mask = uint64_t{1} << (at % 64);
        if (bits_[at / 64] & mask)
            return false;
        bits_[at / 64] |= mask;
        return true;
    }

private:
    int32_t first_;
    std::vector<uint64_t> bits_;
};

// Calls visit(day, counts) for each line of a history's text that counts:
// readable, the first of its date, within the days kept and the limits.
// False when the text is not a history (another first line); an empty text
// has no days.
template <typename Visit>
bool ReadHistoryLines(std::string_view text, const KeptDays& kept, bool& pastLimit, Visit visit)
{
    text = WithoutMark(text);
    if (text.empty())
        return true;
    const LineSpan header = LineAt(text, 0);
    bool ownForm = false;
    if (!IsHistoryHeader(Content(text, header), ownForm))
        return false;
    SeenDays seen(kept);
    for (std::size_t at = header.end; at < text.size();) {
        const LineSpan line = LineAt(text, at);
        at = line.end;
        std::optional<HistoryDay> day = ParseHistoryLine(Content(text, line));
        if (!day)
            continue;
        const int32_t number = DayNumber(day->date);
        CompactDay counts;
        if (!kept.Contains(number)) {
            pastLimit = true;
        } else if (seen.Insert(number)) {
            if (CompactOf(day->counts, counts))
                visit(number, counts);
            else
                pastLimit = true;
        }
    }
    return true;
}

// A pending file's lines of each tally: its floor's tag, then its add's.
constexpr std::string_view TallyTags[TallyKinds][2] = {{"appfloor", "appadd"}, {"shortcutfloor", "shortcutadd"}};

// The tally whose lines the tag names; -1 for none.
int TallyOfTag(std::string_view tag)
{
    for (int kind = 0; kind < TallyKinds; ++kind) {
        if (tag == TallyTags[kind][0] || tag == TallyTags[kind][1])
            return kind;
    }
    return -1;
}

bool EarlierApp(const AppStroke& a, const AppStroke& b) { return a.day != b.day ? a.day < b.day : a.app < b.app; }

uint32_t Capped(uint64_t value) { return static_cast<uint32_t>(std::min<uint64_t>(value, LargestDayValue)); }

// A tally's text's names by date, then by number, each (day, name) once;
// false when the text is not a file of that tally.
bool ReadTallyLines(std::string_view text, Tally kind, const KeptDays& kept, AppNames& names, bool& pastLimit,
                    std::vector<AppStroke>& strokes)
{
    text = WithoutMark(text);
    if (text.empty())
        return true;
    const LineSpan header = LineAt(text, 0);
    if (!IsTallyHeader(Content(text, header), kind))
        return false;
    for (std::size_t at = header.end; at < text.size();) {
        const LineSpan line = LineAt(text, at);
        at = line.end;
        std::optional<AppsLine> read = ParseAppsLine(Content(text, line));
        if (!read)
            continue;
        const int32_t day = DayNumber(read->date);
        if (!kept.Contains(day) || read->count.strokes > LargestDayValue) {
            pastLimit = true;
            continue;
        }
        if (read->count.strokes > 0)
            strokes.push_back({day, names.NumberOf(read->count.app), static_cast<uint32_t>(read->count.strokes)});
    }
    std::sort(strokes.begin(), strokes.end(), EarlierApp);
    std::size_t used = 0;
    for (const AppStroke& stroke : strokes) {
        if (used > 0 && strokes[used - 1].day == stroke.day && strokes[used - 1].app == stroke.app)
            strokes[used - 1].strokes = Capped(uint64_t{strokes[used - 1].strokes} + stroke.strokes);
        else
            strokes[used++] = stroke;
    }
    strokes.resize(used);
    return true;
}

uint64_t AppsPrint(const std::vector<AppStroke>& apps)
{
    if (apps.empty())
        return 0;
    uint64_t print = FingerprintBasis;
    for (const AppStroke& app : apps)
        print = ((print ^ app.app) * FingerprintPrime ^ app.strokes) * FingerprintPrime;
    return print == 0 ? 1 : print;
}

} // namespace

const PcDays::Day* PcDays::Find(int32_t day) const
{
    auto at = std::lower_bound(days_.begin(), days_.end(), day, [](const Day& d, int32_t x) { return d.day < x; });
    return at != days_.end() && at->day == day ? &*at : nullptr;
}

uint64_t PcDays::PrintOn(int32_t day) const
{
    const Day* found = Find(day);
    return found != nullptr && found->hasDay ? found->print : 0;
}

uint64_t PcDays::TallyPrintOn(Tally kind, int32_t day) const
{
    const Day* found = Find(day);
    const int at = static_cast<int>(kind);
    return found != nullptr && found->hasTally[at] ? found->tallyPrint[at] : 0;
}

bool PcDays::Readable() const
{
    return std::find(std::begin(readable_), std::end(readable_), true) != std::end(readable_);
}

bool PcDays::PastLimit() const
{
    return std::find(std::begin(pastLimit_), std::end(pastLimit_), true) != std::end(pastLimit_);
}

bool PcDays::Day::Empty() const
{
    for (int kind = 0; kind < TallyKinds; ++kind) {
        if (hasTally[kind] || inTally[kind])
            return false;
    }
    return !hasDay && !inHistory;
}

std::optional<PcFileKind> FileNeeded(PcUpdate update)
{
    switch (update) {
    case PcUpdate::NeedsHistory:
        return PcFileKind::History;
    case PcUpdate::NeedsApps:
        return PcFileKind::Apps;
    case PcUpdate::NeedsShortcuts:
        return PcFileKind::Shortcuts;
    case PcUpdate::Done:
    case PcUpdate::Unknown:
        break;
    }
    return std::nullopt;
}

bool PcDays::HasDayOn(int32_t day) const
{
    const Day* found = Find(day);
    return found != nullptr && found->hasDay;
}

bool PcDays::ReadPending(std::string_view text, const KeptDays& kept, TallyNames& names, std::vector<Pending>& days,
                         PendingTallies& tallies)
{
    text = WithoutMark(text);
    if (text.empty())
        return true;
    const LineSpan header = LineAt(text, 0);
    if (Unquoted(Content(text, header)) != PendingHeader)
        return false;
    for (std::size_t at = header.end; at < text.size();) {
        const LineSpan line = LineAt(text, at);
        at = line.end;
        const std::string_view content = Content(text, line);
        const std::size_t comma = content.find(',');
        if (comma == std::string_view::npos)
            continue;
        const std::string_view tag = Unquoted(content.substr(0, comma));
        const std::string_view rest = content.substr(comma + 1);
        const int tally = TallyOfTag(tag);
        if (tally >= 0) {
            std::optional<AppsLine> app = ParseAppsLine(rest);
            if (!app)
                continue;
            const int32_t day = DayNumber(app->date);
            if (!kept.Contains(day) || app->count.strokes > LargestDayValue) {
                pastLimit_[1] = true;
                continue;
            }
            const auto strokes = static_cast<uint32_t>(app->count.strokes);
            const bool floor = tag == TallyTags[tally][0];
            tallies[tally].push_back(
                {day, names[tally].NumberOf(app->count.app), floor ? strokes : 0, floor ? 0 : strokes});
        } else if (tag == "floor" || tag == "add") {
            std::optional<HistoryDay> read = ParseHistoryLine(rest);
            CompactDay counts;
            if (!read)
                continue;
            const int32_t day = DayNumber(read->date);
            if (!kept.Contains(day) || !CompactOf(read->counts, counts)) {
                pastLimit_[1] = true;
                continue;
            }
            days.push_back({day, tag == "floor" ? counts : NoCounts, tag == "floor" ? NoCounts : counts});
        }
    }
    // A date's lines of one kind combine as a pending file's do: floors rise
    // to the larger, adds are summed.
    std::stable_sort(days.begin(), days.end(), [](const Pending& a, const Pending& b) { return a.day < b.day; });
    std::size_t used = 0;
    for (const Pending& day : days) {
        if (used == 0 || days[used - 1].day != day.day) {
            days[used++] = day;
            continue;
        }
        Pending& into = days[used - 1];
        for (int field = 0; field < DayFields; ++field) {
            into.floor[field] = std::max(into.floor[field], day.floor[field]);
            into.add[field] = Capped(uint64_t{into.add[field]} + day.add[field]);
        }
    }
    days.resize(used);
    days.erase(std::remove_if(days.begin(), days.end(),
                              [](const Pending& day) { return IsEmptyDay(day.floor) && IsEmptyDay(day.add); }),
               days.end());
    if (days.size() > MostPendingDays) {
        days.erase(days.begin(), days.end() - MostPendingDays);   // the latest are kept
        pastLimit_[1] = true;
    }
    for (std::vector<PendingApp>& apps : tallies) {
        std::stable_sort(apps.begin(), apps.end(), [](const PendingApp& a, const PendingApp& b) {
            return a.day != b.day ? a.day < b.day : a.app < b.app;
        });
        used = 0;
        for (const PendingApp& app : apps) {
            if (used > 0 && apps[used - 1].day == app.day && apps[used - 1].app == app.app) {
                apps[used - 1].floor = std::max(apps[used - 1].floor, app.floor);
                apps[used - 1].add = Capped(uint64_t{apps[used - 1].add} + app.add);
            } else {
                apps[used++] = app;
            }
        }
        apps.resize(used);
        if (apps.size() > MostPendingApps) {
            apps.erase(apps.begin(), apps.end() - MostPendingApps);
            pastLimit_[1] = true;
        }
    }
    return true;
}

namespace {

template <typename List>
auto DayRangeOf(const List& list, int32_t day)
{
    auto first = std::lower_bound(list.begin(), list.end(), day, [](const auto& item, int32_t x) { return item.day < x; });
    auto last = first;
    while (last != list.end() && last->day == day)
        ++last;
    return std::pair{first, last};
}

template <typename List>
auto OnDay(const List& list, int32_t day) -> decltype(&list.front())
{
    auto [first, last] = DayRangeOf(list, day);
    return first != last ? &*first : nullptr;
}

// The dates of two lists by date, each once, in order.
template <typename A, typename B>
std::vector<int32_t> DatesOf(const A& a, const B& b)
{
    std::vector<int32_t> dates;
    for (const auto& item : a)
        dates.push_back(item.day);
    for (const auto& item : b)
        dates.push_back(item.day);
    std::sort(dates.begin(), dates.end());
    dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
    return dates;
}

// A day's programs folded: max(apps.csv's, floor) + add, program by program.
template <typename Lines, typename Owed>
std::vector<AppStroke> FoldedApps(Lines line, Lines lineEnd, Owed owed, Owed owedEnd, int32_t day)
{
    std::vector<AppStroke> folded;
    while (line != lineEnd || owed != owedEnd) {
        if (owed == owedEnd || (line != lineEnd && line->app < owed->app)) {
            folded.push_back(*line++);
        } else if (line == lineEnd || owed->app < line->app) {
            folded.push_back({day, owed->app, Capped(uint64_t{owed->floor} + owed->add)});
            ++owed;
        } else {
            folded.push_back({day, line->app, Capped(uint64_t{std::max(line->strokes, owed->floor)} + owed->add)});
            ++line;
            ++owed;
        }
    }
    folded.erase(std::remove_if(folded.begin(), folded.end(), [](const AppStroke& s) { return s.strokes == 0; }),
                 folded.end());
    return folded;
}

// The last few dates of days (in order) that pass has, in order.
template <typename Days, typename Has>
std::vector<int32_t> LastDaysWith(const Days& days, Has has)
{
    std::vector<int32_t> last;
    for (auto day = days.rbegin(); day != days.rend() && last.size() < KeptLastDays; ++day) {
        if (has(*day))
            last.push_back(day->day);
    }
    std::reverse(last.begin(), last.end());
    return last;
}

} // namespace

PcDays::Day& PcDays::Made(int32_t day)
{
    auto at = !days_.empty() && days_.back().day < day
                  ? days_.end()
                  : std::lower_bound(days_.begin(), days_.end(), day, [](const Day& d, int32_t x) { return d.day < x; });
    if (at == days_.end() || at->day != day)
        at = days_.insert(at, Day{day});
    return *at;
}

void PcDays::DropIfEmpty(int32_t day)
{
    auto at = std::lower_bound(days_.begin(), days_.end(), day, [](const Day& d, int32_t x) { return d.day < x; });
    if (at != days_.end() && at->day == day && at->Empty())
        days_.erase(at);
}

void PcDays::LoadDays(std::string_view history, const KeptDays& kept,
                      void (*visit)(void* context, int32_t day, uint64_t print, const CompactDay& counts),
                      void* context)
{
    // The pending file's days were made by the reading before: they are
    // folded here, and those without a line stay as they are.
    std::vector<Day> owedOnly;
    owedOnly.swap(days_);
    std::vector<Kept> last;   // the latest lines so far, at most KeptLastDays
    bool pastLimit = false;
    readable_[0] = ReadHistoryLines(history, kept, pastLimit, [&](int32_t day, const CompactDay& counts) {
        const Pending* owed = OnDay(pending_, day);
        const CompactDay folded = owed != nullptr ? FoldedDay(counts, owed->floor, owed->add) : counts;
        const uint64_t print = DayPrint(folded);
        visit(context, day, print, folded);
        Day made{day};
        made.inHistory = made.hasDay = true;
        made.print = print;
        days_.push_back(made);
        if (owed != nullptr)
            kept_.push_back({day, counts});
        if (last.size() < KeptLastDays || day > last.front().day) {
            if (last.size() == KeptLastDays)
                last.erase(last.begin());
            last.insert(std::upper_bound(last.begin(), last.end(), day,
                                         [](int32_t d, const Kept& k) { return d < k.day; }),
                        Kept{day, counts});
        }
    });
    pastLimit_[0] = pastLimit;
    readable_[0] = readable_[0] && !history.empty();
    if (!readable_[0]) {
        days_.clear();
        kept_.clear();
        last.clear();
    }
    auto earlier = [](const Day& a, const Day& b) { return a.day < b.day; };
    if (!std::is_sorted(days_.begin(), days_.end(), earlier))
        std::sort(days_.begin(), days_.end(), earlier);
    // The pending days without a line: their floors and adds alone; the
    // pending programs' days as they were made.
    for (const Day& owed : owedOnly) {
        const bool lined = Find(owed.day) != nullptr;
        Day& day = Made(owed.day);
        day.hasTally = owed.hasTally;
        day.tallyPrint = owed.tallyPrint;
        if (lined || !owed.hasDay)
            continue;
        day.hasDay = true;
        day.print = owed.print;
        const Pending* folded = OnDay(pending_, owed.day);
        visit(context, owed.day, owed.print, FoldedDay(NoCounts, folded->floor, folded->add));
    }
    kept_.insert(kept_.end(), last.begin(), last.end());
    std::sort(kept_.begin(), kept_.end(), [](const Kept& a, const Kept& b) { return a.day < b.day; });
    kept_.erase(std::unique(kept_.begin(), kept_.end(), [](const Kept& a, const Kept& b) { return a.day == b.day; }),
                kept_.end());
}

bool PcDays::LinesKnown(const std::vector<Pending>& pending) const
{
    for (int32_t day : DatesOf(pending_, pending)) {
        const Day* before = Find(day);
        if (before != nullptr && before->inHistory && OnDay(kept_, day) == nullptr)
            return false;
    }
    return true;
}

bool PcDays::TallyKnown(Tally kind, const std::vector<PendingApp>& pending) const
{
    const TallyKept& tally = tallies_[static_cast<int>(kind)];
    for (int32_t day : DatesOf(tally.pending, pending)) {
        const Day* before = Find(day);
        if (before != nullptr && before->inTally[static_cast<int>(kind)] &&
            !std::binary_search(tally.days.begin(), tally.days.end(), day))
            return false;
    }
    return true;
}

bool PcDays::UpdateDays(NewText history, const std::vector<Pending>& pending, const KeptDays& kept,
                        std::vector<DayChange>& changes, bool everyChange)
{
    auto folded = [](const CompactDay& line, const Pending* owed) {
        return owed != nullptr ? FoldedDay(line, owed->floor, owed->add) : line;
    };
    // The history's lines: all of them anew, or those kept.
    std::vector<Kept> read;
    if (history.given) {
        bool pastLimit = false;
        readable_[0] = ReadHistoryLines(history.text, kept, pastLimit,
                                        [&](int32_t day, const CompactDay& counts) { read.push_back({day, counts}); });
        if (!readable_[0])
            read.clear();
        readable_[0] = readable_[0] && !history.text.empty();
        pastLimit_[0] = pastLimit;
        std::sort(read.begin(), read.end(), [](const Kept& a, const Kept& b) { return a.day < b.day; });
    }
    // The dates that may have changed: every one with a new history, else the
    // old and the new pending days'.
    std::vector<int32_t> dates = DatesOf(pending_, pending);
    if (history.given) {
        for (const Kept& line : read)
            dates.push_back(line.day);
        for (const Day& day : days_) {
            if (day.hasDay)
                dates.push_back(day.day);
        }
        std::sort(dates.begin(), dates.end());
        dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
    }

    struct Now {
        int32_t day;
        bool inHistory, hasDay;
        uint64_t print;
    };
    std::vector<Now> now;
    now.reserve(dates.size());
    std::size_t found = 0;
    bool unknown = false;
    for (int32_t date : dates) {
        const Day* before = Find(date);
        const Kept* line = history.given ? OnDay(read, date) : nullptr;
        const bool inHistory = history.given ? line != nullptr : before != nullptr && before->inHistory;
        if (!history.given && inHistory)
            line = OnDay(kept_, date);   // there: LinesKnown
        const Pending* owed = OnDay(pending, date);
        DayChange change{date};
        change.has = inHistory || owed != nullptr;
        if (change.has) {
            change.after = folded(line != nullptr ? line->counts : NoCounts, owed);
            change.printAfter = DayPrint(change.after);
        }
        change.had = before != nullptr && before->hasDay;
        change.printBefore = change.had ? before->print : 0;
        now.push_back({date, inHistory, change.has, change.printAfter});
        if (change.had == change.has && change.printBefore == change.printAfter)
            continue;
        if (change.had) {
            const Kept* was = before->inHistory ? OnDay(kept_, date) : nullptr;
            if (before->inHistory && was == nullptr) {
                unknown = true;   // an old day changed, and its counts before are not kept
                continue;
            }
            change.before = folded(was != nullptr ? was->counts : NoCounts, OnDay(pending_, date));
        }
        if (everyChange || ++found <= MostChangedDays)
            changes.push_back(change);
        else
            unknown = true;
    }

    if (history.given) {
        // Every date's history anew; the tallies as they were.
        auto withoutDay = [](Day day) {
            day.inHistory = day.hasDay = false;
            day.print = 0;
            return day;
        };
        std::vector<Day> made;
        made.reserve(days_.size() + now.size());
        auto old = days_.begin();
        for (const Now& date : now) {
            for (; old != days_.end() && old->day < date.day; ++old)
                made.push_back(withoutDay(*old));
            Day day{date.day};
            if (old != days_.end() && old->day == date.day)
                day = *old++;
            day.inHistory = date.inHistory;
            day.hasDay = date.hasDay;
            day.print = date.print;
            made.push_back(day);
        }
        for (; old != days_.end(); ++old)
            made.push_back(withoutDay(*old));
        made.erase(std::remove_if(made.begin(), made.end(), [](const Day& d) { return d.Empty(); }), made.end());
        days_ = std::move(made);
    } else {
        for (const Now& date : now) {
            Day& day = Made(date.day);
            day.hasDay = date.hasDay;
            day.print = date.print;
            DropIfEmpty(date.day);
        }
    }

    // The lines kept: the last few and the pending days'.
    const std::vector<int32_t> last = LastDaysWith(days_, [](const Day& d) { return d.inHistory; });
    std::vector<Kept> keep;
    for (const Kept& line : history.given ? read : kept_) {
        if (std::binary_search(last.begin(), last.end(), line.day) || OnDay(pending, line.day) != nullptr)
            keep.push_back(line);
    }
    kept_ = std::move(keep);
    return !unknown;
}

bool PcDays::UpdateTally(Tally kind, NewText text, const std::vector<PendingApp>& pending, const KeptDays& kept,
                         AppNames& names, std::vector<AppsChange>& changes, bool everyChange)
{
    const int at = static_cast<int>(kind);
    TallyKept& tally = tallies_[at];
    std::vector<AppStroke> read;
    if (text.given) {
        bool pastLimit = false;
        bool& readable = readable_[TallyFile(kind)];
        readable = ReadTallyLines(text.text, kind, kept, names, pastLimit, read);
        if (!readable)
            read.clear();
        readable = readable && !text.text.empty();
        pastLimit_[TallyFile(kind)] = pastLimit;
    }
    std::vector<int32_t> dates = DatesOf(tally.pending, pending);
    if (text.given) {
        for (const AppStroke& line : read)
            dates.push_back(line.day);
        for (const Day& day : days_) {
            if (day.hasTally[at] || day.inTally[at])
                dates.push_back(day.day);
        }
        std::sort(dates.begin(), dates.end());
        dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
    }

    struct Now {
        int32_t day;
        bool inTally, hasTally;
        uint64_t print;
    };
    std::vector<Now> now;
    now.reserve(dates.size());
    std::size_t found = 0;
    bool unknown = false;
    const std::vector<AppStroke>& lines = text.given ? read : tally.lines;
    for (int32_t date : dates) {
        const Day* before = Find(date);
        auto [line, lineEnd] = DayRangeOf(lines, date);
        auto [owed, owedEnd] = DayRangeOf(pending, date);
        const bool inTally = text.given ? line != lineEnd : before != nullptr && before->inTally[at];
        std::vector<AppStroke> after = FoldedApps(line, lineEnd, owed, owedEnd, date);
        const uint64_t print = AppsPrint(after);
        const bool had = before != nullptr && before->hasTally[at];
        now.push_back({date, inTally, !after.empty(), print});
        if (had == !after.empty() && (had ? before->tallyPrint[at] : 0) == print)
            continue;
        AppsChange change{date, had ? before->tallyPrint[at] : 0, print, {}, std::move(after), kind};
        if (had) {
            if (before->inTally[at] && !std::binary_search(tally.days.begin(), tally.days.end(), date)) {
                unknown = true;
                continue;
            }
            auto [was, wasEnd] = DayRangeOf(tally.lines, date);
            auto [owedWas, owedWasEnd] = DayRangeOf(tally.pending, date);
            change.before = FoldedApps(was, wasEnd, owedWas, owedWasEnd, date);
        }
        if (everyChange || ++found <= MostChangedDays)
            changes.push_back(std::move(change));
        else
            unknown = true;
    }
    for (const Now& date : now) {
        Day& day = Made(date.day);
        day.inTally.Set(at, date.inTally);
        day.hasTally.Set(at, date.hasTally);
        day.tallyPrint[at] = date.print;
        if (!text.given)
            DropIfEmpty(date.day);
    }
    if (text.given)
        days_.erase(std::remove_if(days_.begin(), days_.end(), [](const Day& d) { return d.Empty(); }), days_.end());

    // The file's names kept: its last few days' and the pending days'.
    std::vector<int32_t> keptDays = LastDaysWith(days_, [at](const Day& d) { return d.inTally[at]; });
    for (const PendingApp& app : pending)
        keptDays.push_back(app.day);
    std::sort(keptDays.begin(), keptDays.end());
    keptDays.erase(std::unique(keptDays.begin(), keptDays.end()), keptDays.end());
    std::vector<AppStroke> keep;
    for (const AppStroke& stroke : lines) {
        if (std::binary_search(keptDays.begin(), keptDays.end(), stroke.day))
            keep.push_back(stroke);
    }
    if (keep.size() > MostKeptTallyLines) {
        // The latest whole days that fit; an earlier one is read from the
        // file again when the pending file changes it.
        std::size_t from = keep.size();
        for (std::size_t start = from; start > 0; from = start) {
            const int32_t day = keep[start - 1].day;
            while (start > 0 && keep[start - 1].day == day)
                --start;
            if (keep.size() - start > MostKeptTallyLines)
                break;
        }
        const int32_t lastLeft = keep[from - 1].day;
        keep.erase(keep.begin(), keep.begin() + static_cast<std::ptrdiff_t>(from));
        keptDays.erase(keptDays.begin(), std::upper_bound(keptDays.begin(), keptDays.end(), lastLeft));
    }
    tally.lines = std::move(keep);
    tally.days = std::move(keptDays);
    return !unknown;
}

PcUpdate PcDays::Update(NewText history, NewText pending, const TallyTexts& tallies, const KeptDays& kept,
                        TallyNames& names, std::vector<DayChange>& changes, std::vector<AppsChange>& appsChanges,
                        bool everyChange)
{
    std::vector<Pending> pendingDays;
    PendingTallies pendingTallies;
    if (pending.given) {
        // Read again with the same text when another file is needed.
        pastLimit_[1] = false;
        readable_[1] = ReadPending(pending.text, kept, names, pendingDays, pendingTallies);
        if (!readable_[1]) {
            pendingDays.clear();
            pendingTallies = {};
        }
        readable_[1] = readable_[1] && !pending.text.empty();
    }
    const std::vector<Pending>& owed = pending.given ? pendingDays : pending_;
    auto owedOf = [&](int kind) -> const std::vector<PendingApp>& {
        return pending.given ? pendingTallies[kind] : tallies_[kind].pending;
    };
    // What needs another file is found before anything changes.
    if (!history.given && !LinesKnown(owed))
        return PcUpdate::NeedsHistory;
    for (Tally kind : EveryTally) {
        if (!tallies[static_cast<int>(kind)].given && !TallyKnown(kind, owedOf(static_cast<int>(kind))))
            return kind == Tally::Apps ? PcUpdate::NeedsApps : PcUpdate::NeedsShortcuts;
    }
    bool known = UpdateDays(history, owed, kept, changes, everyChange);
    for (Tally kind : EveryTally) {
        const int at = static_cast<int>(kind);
        known = UpdateTally(kind, tallies[at], owedOf(at), kept, names[at], appsChanges, everyChange) && known;
    }
    if (pending.given) {
        pending_ = std::move(pendingDays);
        for (int kind = 0; kind < TallyKinds; ++kind)
            tallies_[kind].pending = std::move(pendingTallies[kind]);
    }
    return known ? PcUpdate::Done : PcUpdate::Unknown;
}
bool ReadKeysText(std::string_view text, HistoryCounts& counts)
{
    text = WithoutMark(text);
    bool header = false;
    HistoryCounts read;
    while (!text.empty()) {
        std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        std::size_t comma = line.find(',');
        if (!header) {
            if (line != "key,count")
                return false;
            header = true;
            continue;
        }
        int key = comma == std::string_view::npos ? NoKeyIndex : KeyIndexOf(Unquoted(line.substr(0, comma)));
        int64_t count = 0;
        std::string_view digits = comma == std::string_view::npos ? std::string_view() : Unquoted(line.substr(comma + 1));
        for (char digit : digits.substr(0, HistoryValueDigits))
            count = digit >= '0' && digit <= '9' ? count * 10 + (digit - '0') : count;
        if (key != NoKeyIndex)
            read.keys[key] = count;
    }
    if (header)
        counts = read;
    return header;
}

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

uint64_t FingerprintOf(std::string_view bytes)
{
    uint64_t print = FingerprintBasis;
    for (char byte : bytes)
        print = (print ^ static_cast<unsigned char>(byte)) * FingerprintPrime;
    return print;
}

bool IsEarlierHistory(std::string_view older, std::string_view newer)
{
    std::vector<HistoryDay> days;
    if (!DaysOfHistoryText(newer, {}, days))
        return false;
    older = WithoutMark(older);
    if (older.empty())
        return true;
    const LineSpan header = LineAt(older, 0);
    bool ownForm = false;
    if (!IsHistoryHeader(Content(older, header), ownForm))
        return false;
    for (std::size_t at = header.end; at < older.size();) {
        const LineSpan line = LineAt(older, at);
        at = line.end;
        std::optional<HistoryDay> day = ParseHistoryLine(Content(older, line));
        if (!day)
            continue;
        auto same = std::lower_bound(days.begin(), days.end(), day->date,
                                     [](const HistoryDay& d, const LocalDate& date) { return d.date < date; });
        if (same == days.end() || !(same->date == day->date))
            return false;
        if (day->counts.seconds > same->counts.seconds)
            return false;
        for (int key = 0; key < HistoryKeyCount; ++key) {
            if (day->counts.keys[key] > same->counts.keys[key])
                return false;
        }
    }
    return true;
}
