#include "history/pending_history.h"

#include <algorithm>

const std::string_view PendingHeader = "kivora pending history 1";

namespace {

constexpr std::string_view FloorTag = "floor";
constexpr std::string_view AddTag = "add";
constexpr std::string_view AppFloorTag = "appfloor";
constexpr std::string_view AppAddTag = "appadd";
// What a spreadsheet puts before a UTF-8 text.
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

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

// A field as a spreadsheet may save it: in quotes or not.
std::string_view Unquoted(std::string_view field)
{
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        field = field.substr(1, field.size() - 2);
    return field;
}

// counts - taken, field by field, never below zero.
HistoryCounts Less(HistoryCounts counts, const HistoryCounts& taken)
{
    counts.seconds = std::max<int64_t>(counts.seconds - taken.seconds, 0);
    for (int key = 0; key < HistoryKeyCount; ++key)
        counts.keys[key] = std::max<int64_t>(counts.keys[key] - taken.keys[key], 0);
    return counts;
}

} // namespace

void AddPendingDay(PendingDays& days, const PendingDay& day)
{
    if (!IsValidDate(day.date) || day.IsEmpty())
        return;
    auto at = std::lower_bound(days.begin(), days.end(), day.date, EarlierDay);
    if (at == days.end() || at->date != day.date) {
        days.insert(at, day);
        return;
    }
    RaiseCounts(at->floor, day.floor);
    AddCounts(at->add, day.add);
    RaiseAppCounts(at->appFloor, day.appFloor);
    AddAppCounts(at->appAdd, day.appAdd);
}

void CombinePending(PendingDays& into, const PendingDays& more)
{
    into.insert(into.end(), more.begin(), more.end());
    into = InDateOrder(std::move(into));
}

PendingDays ComposePending(const PendingDays& first, const PendingDays& then)
{
    PendingDays composed;
    auto earlier = first.begin();
    for (const PendingDay& later : then) {
        for (; earlier != first.end() && earlier->date < later.date; ++earlier)
            AddPendingDay(composed, *earlier);
        if (earlier == first.end() || later.date < earlier->date) {
            AddPendingDay(composed, later);
            continue;
        }
        PendingDay day = *earlier;
        RaiseCounts(day.floor, Less(later.floor, earlier->add));
        AddCounts(day.add, later.add);
        RaiseAppCounts(day.appFloor, LessApps(later.appFloor, earlier->appAdd));
        AddAppCounts(day.appAdd, later.appAdd);
        AddPendingDay(composed, day);
        ++earlier;
    }
    for (; earlier != first.end(); ++earlier)
        AddPendingDay(composed, *earlier);
    return composed;
}

bool HasAdds(const PendingDays& days)
{
    return std::any_of(days.begin(), days.end(),
                       [](const PendingDay& day) { return !day.add.IsEmpty() || !day.appAdd.empty(); });
}

HistoryCounts FoldedCounts(const HistoryCounts& history, const PendingDay& day)
{
    HistoryCounts counts = history;
    RaiseCounts(counts, day.floor);
    AddCounts(counts, day.add);
    return counts;
}

AppCounts FoldedApps(const AppCounts& apps, const PendingDay& day)
{
    AppCounts counts = apps;
    RaiseAppCounts(counts, day.appFloor);
    AddAppCounts(counts, day.appAdd);
    return counts;
}

std::string FormatPending(const PendingDays& days)
{
    std::string text(PendingHeader);
    text += "\r\n";
    for (const PendingDay& day : days) {
        if (!day.floor.IsEmpty()) {
            text += FloorTag;
            text += ',';
            AppendHistoryLine(text, day.date, day.floor);
        }
        if (!day.add.IsEmpty()) {
            text += AddTag;
            text += ',';
            AppendHistoryLine(text, day.date, day.add);
        }
        for (const auto& [tag, apps] : {std::pair{AppFloorTag, &day.appFloor}, std::pair{AppAddTag, &day.appAdd}}) {
            for (const AppCount& app : *apps) {
                text += tag;
                text += ',';
                AppendAppsLine(text, day.date, app);
                text += "\r\n";
            }
        }
    }
    return text;
}

PendingLoad ParsePending(std::string_view text, PendingDays& days, int* unreadableLines)
{
    int unreadable = 0;
    if (text.size() > LargestPendingFile)
        return PendingLoad::TooLarge;
    PendingDays lines;
    if (text.starts_with(ByteOrderMark))
        text.remove_prefix(ByteOrderMark.size());
    if (!text.empty()) {
        LineSpan header = LineAt(text, 0);
        if (Unquoted(WithoutPadding(text.substr(0, header.contentEnd))) != PendingHeader)
            return PendingLoad::NotPending;
        for (std::size_t at = header.end; at < text.size();) {
            LineSpan line = LineAt(text, at);
            at = line.end;
            std::string_view content = WithoutPadding(text.substr(line.begin, line.contentEnd - line.begin));
            if (content.empty())
                continue;
            std::size_t comma = content.find(',');
            std::string_view tag = Unquoted(content.substr(0, comma));
            std::string_view rest = comma == std::string_view::npos ? std::string_view() : content.substr(comma + 1);
            if (tag == AppFloorTag || tag == AppAddTag) {
                std::optional<AppsLine> app = ParseAppsLine(rest);
                if (!app) {
                    ++unreadable;
                    continue;
                }
                PendingDay pending{app->date, {}, {}, {}, {}};
                AddAppStrokes(tag == AppFloorTag ? pending.appFloor : pending.appAdd, app->count.app,
                              app->count.strokes);
                lines.push_back(pending);
                continue;
            }
            bool floor = tag == FloorTag;
            std::optional<HistoryDay> day;
            if (comma != std::string_view::npos && (floor || tag == AddTag))
                day = ParseHistoryLine(rest);
            if (!day) {
                ++unreadable;
                continue;
            }
            PendingDay pending{day->date, {}, {}, {}, {}};
            (floor ? pending.floor : pending.add) = day->counts;
            lines.push_back(pending);
        }
    }
    days = InDateOrder(std::move(lines));
    if (unreadableLines != nullptr)
        *unreadableLines = unreadable;
    return PendingLoad::Loaded;
}
