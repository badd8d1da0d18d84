#include "history/history_book.h"

#include <algorithm>
#include <limits>

namespace {

// Date, seconds, total and 77 counts of at most 18 digits, commas, CRLF.
constexpr std::size_t LongestHistoryLine = LocalDateTextSize + (HistoryFieldCount - 1) * (1 + HistoryValueDigits) + 2;

constexpr int32_t DaysBeforeInLast7 = 6;
constexpr int32_t DaysBeforeInLast30 = 29;

// What a spreadsheet puts before a UTF-8 text.
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// The dates whose first readable line has been met: a bit a day, in blocks
// of 512 days made as dates in them are met, so that any order of lines
// costs about the same and a history of a few years needs a few blocks.
class SeenDates {
public:
    // False when the date was met before.
    bool Insert(int32_t dayNumber)
    {
        const int32_t block = dayNumber >> 9;
        const int bit = dayNumber & 511;
        if (last_ >= blocks_.size() || blocks_[last_].number != block) {
            auto at = std::lower_bound(blocks_.begin(), blocks_.end(), block,
                                       [](const Block& b, int32_t number) { return b.number < number; });
            if (at == blocks_.end() || at->number != block)
                at = blocks_.insert(at, Block{block, {}});
            last_ = static_cast<std::size_t>(at - blocks_.begin());
        }
        uint64_t& word = blocks_[last_].bits[bit >> 6];
        const uint64_t mask = uint64_t{1} << (bit & 63);
        if (word & mask)
            return false;
        word |= mask;
        return true;
    }

private:
    struct Block {
        int32_t number;
        uint64_t bits[8];
    };
    std::vector<Block> blocks_;
    std::size_t last_ = 0;
};

std::string_view Content(std::string_view text, const LineSpan& line)
{
    return text.substr(line.begin, line.contentEnd - line.begin);
}

// A line after the header. day: the date's first readable line; null for a
// line that counts for nothing (unreadable, or a date met before). ownForm:
// as Kivora writes it, its content kept or written by AppendHistoryLine,
// and ending in CRLF.
struct ReadLine {
    LineSpan span;
    const HistoryDay* day;
    int32_t dayNumber;
    bool ownForm;
};

// Calls visit(const ReadLine&) for each line of text from at, in order,
// until it returns false; returns false then.
template <typename Visit>
bool ReadLines(std::string_view text, std::size_t at, SeenDates& seen, Visit visit)
{
    while (at < text.size()) {
        LineSpan span = LineAt(text, at);
        at = span.end;
        bool ownForm = false;
        std::optional<HistoryDay> day = ParseHistoryLine(Content(text, span), ownForm);
        int32_t number = day ? DayNumber(day->date) : 0;
        if (day && !seen.Insert(number))
            day.reset();
        if (!visit(ReadLine{span, day ? &*day : nullptr, number, span.EndsInCrLf() && (!day || ownForm)}))
            return false;
    }
    return true;
}

std::string FreshHistory()
{
    std::string text(HistoryHeader);
    text += "\r\n";
    return text;
}

} // namespace

HistoryBook::HistoryBook() : before_(FreshHistory()) {}

HistoryLoad HistoryBook::Load(std::string_view text, const LocalDate& today)
{
    if (text.size() > LargestHistoryFile)
        return HistoryLoad::TooLarge;
    HistoryBook loaded;
    loaded.today_ = today;
    if (!text.empty() && !loaded.Split(text, today))
        return HistoryLoad::NotHistory;
    *this = std::move(loaded);
    return HistoryLoad::Loaded;
}

bool HistoryBook::Split(std::string_view text, const LocalDate& today)
{
    if (text.starts_with(ByteOrderMark))
        text.remove_prefix(ByteOrderMark.size());
    LineSpan header = LineAt(text, 0);
    bool ownHeader = false;
    if (!IsHistoryHeader(Content(text, header), ownHeader))
        return false;
    if (ownHeader && header.EndsInCrLf() && SplitOwnForm(text, today))
        return true;
    // Once, after a spreadsheet saved the file: the form Kivora writes.
    std::string own = FreshHistory();
    own.reserve(text.size() + text.size() / 8);
    SeenDates seen;
    ReadLines(text, header.end, seen, [&](const ReadLine& line) {
        if (line.day) {
            AppendHistoryLine(own, line.day->date, line.day->counts);
        } else {
            own += Content(text, line.span);
            own += "\r\n";
        }
        return true;
    });
    SplitOwnForm(own, today);   // true: every line is as Kivora writes it
    return true;
}

bool HistoryBook::SplitOwnForm(std::string_view text, const LocalDate& today)
{
    today_ = today;
    base_ = HistoryCounts{};
    hadTodayLine_ = false;
    earlier7_ = earlier30_ = HistoryCounts{};
    unreadableLines_ = 0;
    const int32_t todayNumber = DayNumber(today);
    std::optional<LineSpan> todayLine;
    std::size_t insertAt = text.size();
    SeenDates seen;
    bool ownForm = ReadLines(text, LineAt(text, 0).end, seen, [&](const ReadLine& line) {
        if (!line.ownForm)
            return false;
        if (!line.day) {
            ++unreadableLines_;
        } else if (line.dayNumber == todayNumber) {
            todayLine = line.span;
            base_ = line.day->counts;
            hadTodayLine_ = true;
        } else if (line.dayNumber > todayNumber) {
            // Before the first later day; unreadable lines stay where they are.
            if (insertAt == text.size())
                insertAt = line.span.begin;
        } else if (line.dayNumber >= todayNumber - DaysBeforeInLast30) {
            AddCounts(earlier30_, line.day->counts);
            if (line.dayNumber >= todayNumber - DaysBeforeInLast7)
                AddCounts(earlier7_, line.day->counts);
        }
        return true;
    });
    if (!ownForm)
        return false;

    std::size_t cut = todayLine ? todayLine->begin : insertAt;
    std::size_t resume = todayLine ? todayLine->end : insertAt;
    before_.assign(text.substr(0, cut));
    after_.assign(text.substr(resume));
    return true;
}

void HistoryBook::Begin(const HistoryCounts& snapshot)
{
    if (begun_)
        AddDelta(base_, start_, snapshot);
    start_ = snapshot;
    begun_ = true;
}

bool HistoryBook::Advance(const LocalDate& now, const HistoryCounts& current)
{
    if (now == today_)
        return false;
    // Once a day: reading the whole text again is cheap enough.
    std::string text = Render(current);
    HistoryBook next;
    next.Split(text, now);   // the header is the one that was accepted
    next.begun_ = begun_;
    next.start_ = current;
    *this = std::move(next);
    return true;
}

void HistoryBook::Rebase(const HistoryCounts& beforeReset, const HistoryCounts& afterReset)
{
    if (begun_)
        AddDelta(base_, start_, beforeReset);
    start_ = afterReset;
}

void HistoryBook::DropToday(const HistoryCounts& current)
{
    base_ = HistoryCounts{};
    start_ = current;
}

HistoryCounts HistoryBook::TodayCounts(const HistoryCounts& current) const
{
    HistoryCounts counts = base_;
    if (begun_)
        AddDelta(counts, start_, current);
    return counts;
}

HistoryText HistoryBook::RenderParts(const HistoryCounts& current) const
{
    HistoryText text{before_, std::string(), after_};
    HistoryCounts today = TodayCounts(current);
    if (WritesToday(today)) {
        // Every kept line ends in CRLF.
        text.line.reserve(LongestHistoryLine);
        AppendHistoryLine(text.line, today_, today);
    }
    return text;
}

std::string HistoryBook::Render(const HistoryCounts& current) const
{
    HistoryText parts = RenderParts(current);
    std::string text;
    text.reserve(parts.before.size() + parts.line.size() + parts.after.size());
    text += parts.before;
    text += parts.line;
    text += parts.after;
    return text;
}

HistoryPeriods HistoryBook::Periods(const HistoryCounts& current) const
{
    HistoryPeriods periods;
    periods.today = TodayCounts(current);
    periods.last7 = earlier7_;
    AddCounts(periods.last7, periods.today);
    periods.last30 = earlier30_;
    AddCounts(periods.last30, periods.today);
    return periods;
}

void HistoryBook::Fold(const PendingDays& pending)
{
    PendingDays days;
    CombinePending(days, pending);   // in date order, each date once, whatever the caller passed
    if (days.empty())
        return;
    const std::string text = Render(HistoryCounts{});   // the running day's line holds its base

    // The pending days' readable lines, in one reading of the text.
    struct KeptLine {
        LineSpan span;
        std::optional<int32_t> dayNumber;   // none for a line that counts for nothing
        std::size_t pending;                // days.size() when the line's day is not pending
    };
    std::vector<KeptLine> lines;
    std::vector<std::optional<HistoryCounts>> counted(days.size());
    SeenDates seen;
    const std::size_t linesAt = LineAt(text, 0).end;
    ReadLines(text, linesAt, seen, [&](const ReadLine& line) {
        KeptLine kept{line.span, std::nullopt, days.size()};
        if (line.day) {
            kept.dayNumber = line.dayNumber;
            auto day = std::lower_bound(days.begin(), days.end(), line.day->date,
                                        [](const PendingDay& d, const LocalDate& date) { return d.date < date; });
            if (day != days.end() && day->date == line.day->date) {
                kept.pending = static_cast<std::size_t>(day - days.begin());
                counted[kept.pending] = line.day->counts;
            }
        }
        lines.push_back(kept);
        return true;
    });

    std::string folded(text.substr(0, linesAt));
    folded.reserve(text.size() + days.size() * LongestHistoryLine);
    std::size_t unplaced = 0;   // the first pending day not yet placed
    auto placeDaysBefore = [&](int32_t dayNumber) {
        for (; unplaced < days.size() && DayNumber(days[unplaced].date) < dayNumber; ++unplaced) {
            HistoryCounts counts = FoldedCounts(HistoryCounts{}, days[unplaced]);
            if (!counted[unplaced] && !counts.IsEmpty())
                AppendHistoryLine(folded, days[unplaced].date, counts);
        }
    };
    for (const KeptLine& line : lines) {
        if (line.dayNumber)
            placeDaysBefore(*line.dayNumber);
        if (line.pending < days.size())
            AppendHistoryLine(folded, days[line.pending].date, FoldedCounts(*counted[line.pending], days[line.pending]));
        else
            folded += text.substr(line.span.begin, line.span.end - line.span.begin);
    }
    placeDaysBefore(std::numeric_limits<int32_t>::max());

    HistoryBook next;
    next.Split(folded, today_);   // the header is the one that was accepted
    next.begun_ = begun_;
    next.start_ = start_;
    *this = std::move(next);
}

std::optional<HistoryCounts> HistoryBook::CountsOn(const LocalDate& date, const HistoryCounts& current) const
{
    if (date == today_) {
        HistoryCounts today = TodayCounts(current);
        return WritesToday(today) ? std::optional(today) : std::nullopt;
    }
    if (!IsValidDate(date))
        return std::nullopt;
    // The kept text is in Kivora's form, so a date's readable line is the
    // first line that starts with the date as Kivora writes it and reads.
    char start[LocalDateTextSize + 1];
    FormatLocalDate(date, start);
    start[LocalDateTextSize] = ',';
    for (std::string_view kept : {std::string_view(before_), std::string_view(after_)}) {
        for (std::size_t at = 0; at < kept.size();) {
            LineSpan line = LineAt(kept, at);
            at = line.end;
            std::string_view content = Content(kept, line);
            if (!content.starts_with(std::string_view(start, sizeof start)))
                continue;
            if (std::optional<HistoryDay> day = ParseHistoryLine(content))
                return day->counts;
        }
    }
    return std::nullopt;
}

std::vector<HistoryDay> HistoryBook::Days(const HistoryCounts& current) const
{
    std::vector<HistoryDay> days;
    const int32_t todayNumber = DayNumber(today_);
    auto keep = [&](const ReadLine& line) {
        // The running day's own line is not kept; a later one counts for nothing.
        if (line.day && line.dayNumber != todayNumber)
            days.push_back(*line.day);
        return true;
    };
    SeenDates seen;
    ReadLines(before_, LineAt(before_, 0).end, seen, keep);
    ReadLines(after_, 0, seen, keep);
    HistoryCounts today = TodayCounts(current);
    if (WritesToday(today))
        days.push_back({today_, today});
    auto earlier = [](const HistoryDay& a, const HistoryDay& b) { return a.date < b.date; };
    if (!std::is_sorted(days.begin(), days.end(), earlier))
        std::sort(days.begin(), days.end(), earlier);
    return days;
}

bool FitsHistoryFile(const HistoryText& text)
{
    return text.before.size() + text.line.size() + text.after.size() <= LargestHistoryFile;
}

PendingDays AsFloors(const HistoryBook& book, const PendingDays& days, const HistoryCounts& current)
{
    PendingDays floors;
    for (const PendingDay& day : days) {
        if (std::optional<HistoryCounts> counts = book.CountsOn(day.date, current))
            AddPendingDay(floors, {day.date, *counts, HistoryCounts{}});
    }
    return floors;
}

std::optional<HistoryPeriods> HistoryPeriodsOfText(std::string_view text, const LocalDate& today)
{
    HistoryBook book;
    if (book.Load(text, today) != HistoryLoad::Loaded)
        return std::nullopt;
    return book.Periods(HistoryCounts{});
}
