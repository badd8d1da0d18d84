#include "history/history_book.h"

#include <unordered_set>

namespace {

// Date, seconds, total and 77 counts of at most 18 digits, commas, CRLF.
constexpr std::size_t LongestHistoryLine = LocalDateTextSize + (HistoryFieldCount - 1) * (1 + HistoryValueDigits) + 2;

constexpr int32_t DaysBeforeInLast7 = 6;
constexpr int32_t DaysBeforeInLast30 = 29;

struct LineSpan {
    std::size_t begin;
    std::size_t contentEnd;   // the line end, CRLF or LF, is not content
    std::size_t end;          // the next line's begin
};

// The last line may have no line end; a CR without LF is content.
LineSpan LineAt(std::string_view text, std::size_t at)
{
    std::size_t newline = text.find('\n', at);
    if (newline == std::string_view::npos)
        return {at, text.size(), text.size()};
    std::size_t contentEnd = newline > at && text[newline - 1] == '\r' ? newline - 1 : newline;
    return {at, contentEnd, newline + 1};
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
    LineSpan header = LineAt(text, 0);
    if (text.substr(0, header.contentEnd) != HistoryHeader)
        return false;

    today_ = today;
    const int32_t todayNumber = DayNumber(today);
    std::unordered_set<int32_t> seen;
    std::optional<LineSpan> todayLine;
    std::size_t insertAt = text.size();
    for (std::size_t at = header.end; at < text.size();) {
        LineSpan line = LineAt(text, at);
        at = line.end;
        std::optional<HistoryDay> day = ParseHistoryLine(text.substr(line.begin, line.contentEnd - line.begin));
        int32_t number = day ? DayNumber(day->date) : 0;
        if (!day || !seen.insert(number).second) {
            ++unreadableLines_;
            continue;
        }
        if (number == todayNumber) {
            todayLine = line;
            base_ = day->counts;
            hadTodayLine_ = true;
        } else if (number > todayNumber) {
            // Before the first later day; unreadable lines stay where they are.
            if (insertAt == text.size())
                insertAt = line.begin;
        } else if (number >= todayNumber - DaysBeforeInLast30) {
            AddCounts(earlier30_, day->counts);
            if (number >= todayNumber - DaysBeforeInLast7)
                AddCounts(earlier7_, day->counts);
        }
    }

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
    if (hadTodayLine_ || !today.IsEmpty()) {
        text.line.reserve(2 + LongestHistoryLine);
        // Only the file's last line can lack its line end.
        if (!before_.empty() && before_.back() != '\n')
            text.line = "\r\n";
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

std::optional<HistoryPeriods> HistoryPeriodsOfText(std::string_view text, const LocalDate& today)
{
    HistoryBook book;
    if (book.Load(text, today) != HistoryLoad::Loaded)
        return std::nullopt;
    return book.Periods(HistoryCounts{});
}
