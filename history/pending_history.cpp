#include "history/pending_history.h"

#include <algorithm>

const std::string_view PendingHeader = "kivora pending history 1";

namespace {

constexpr std::string_view FloorTag = "floor,";
constexpr std::string_view AddTag = "add,";

bool EarlierDay(const PendingDay& day, const LocalDate& date) { return day.date < date; }

// Any days into the container's order: sorted first, so that each day is
// put last or merged with the last, whatever order the days came in.
PendingDays InDateOrder(PendingDays days)
{
    std::sort(days.begin(), days.end(), [](const PendingDay& a, const PendingDay& b) { return a.date < b.date; });
    PendingDays ordered;
    for (const PendingDay& day : days)
        AddPendingDay(ordered, day);
    return ordered;
}

} // namespace

void AddPendingDay(PendingDays& days, const PendingDay& day)
{
    if (!IsValidDate(day.date) || (day.floor.IsEmpty() && day.add.IsEmpty()))
        return;
    auto at = std::lower_bound(days.begin(), days.end(), day.date, EarlierDay);
    if (at == days.end() || at->date != day.date) {
        days.insert(at, day);
        return;
    }
    RaiseCounts(at->floor, day.floor);
    AddCounts(at->add, day.add);
}

void CombinePending(PendingDays& into, const PendingDays& more)
{
    into.insert(into.end(), more.begin(), more.end());
    into = InDateOrder(std::move(into));
}

HistoryCounts FoldedCounts(const HistoryCounts& history, const PendingDay& day)
{
    HistoryCounts counts = history;
    RaiseCounts(counts, day.floor);
    AddCounts(counts, day.add);
    return counts;
}

std::string FormatPending(const PendingDays& days)
{
    std::string text(PendingHeader);
    text += "\r\n";
    for (const PendingDay& day : days) {
        if (!day.floor.IsEmpty()) {
            text += FloorTag;
            AppendHistoryLine(text, day.date, day.floor);
        }
        if (!day.add.IsEmpty()) {
            text += AddTag;
            AppendHistoryLine(text, day.date, day.add);
        }
    }
    return text;
}

PendingLoad ParsePending(std::string_view text, PendingDays& days)
{
    if (text.size() > LargestPendingFile)
        return PendingLoad::TooLarge;
    PendingDays lines;
    if (!text.empty()) {
        LineSpan header = LineAt(text, 0);
        if (text.substr(0, header.contentEnd) != PendingHeader)
            return PendingLoad::NotPending;
        for (std::size_t at = header.end; at < text.size();) {
            LineSpan line = LineAt(text, at);
            at = line.end;
            std::string_view content = text.substr(line.begin, line.contentEnd - line.begin);
            bool floor = content.starts_with(FloorTag);
            if (!floor && !content.starts_with(AddTag))
                continue;
            std::optional<HistoryDay> day = ParseHistoryLine(content.substr(floor ? FloorTag.size() : AddTag.size()));
            if (!day)
                continue;
            PendingDay pending{day->date, {}, {}};
            (floor ? pending.floor : pending.add) = day->counts;
            lines.push_back(pending);
        }
    }
    days = InDateOrder(std::move(lines));
    return PendingLoad::Loaded;
}
