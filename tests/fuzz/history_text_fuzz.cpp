// Reading any bytes as a history file, and what follows a pending file's
// header in them as a pending file folded into it: never reads out of bounds.
// A history it loads renders in Kivora's own form (the header first, CRLF
// after every line) with every unreadable line's content in order and every
// readable day with its counts, and what it renders loads again to the same
// days and renders byte for byte the same. A pending text it reads writes
// back to the same days; its days fold as max(history, floor) + add, and
// folding the result again as floors changes nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_book.h"

namespace {

const LocalDate Today{2026, 3, 10};

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool NoMoreThan(const HistoryCounts& a, const HistoryCounts& b)
{
    if (a.seconds > b.seconds)
        return false;
    for (int key = 0; key < HistoryKeyCount; ++key) {
        if (a.keys[key] > b.keys[key])
            return false;
    }
    return true;
}

std::vector<std::string_view> ContentsOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < text.size();) {
        LineSpan line = LineAt(text, at);
        lines.push_back(text.substr(line.begin, line.contentEnd - line.begin));
        at = line.end;
    }
    return lines;
}

// Each date's first readable line is its day; every other line is kept.
void Expect(std::string_view text, std::vector<HistoryDay>& days, std::vector<std::string_view>& unreadable)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::vector<std::string_view> lines = ContentsOf(text);
    for (std::size_t at = 1; at < lines.size(); ++at) {
        std::optional<HistoryDay> day = ParseHistoryLine(lines[at]);
        if (day && std::none_of(days.begin(), days.end(), [&](const HistoryDay& d) { return d.date == day->date; }))
            days.push_back(*day);
        else
            unreadable.push_back(lines[at]);
    }
    std::stable_sort(days.begin(), days.end(), [](const HistoryDay& a, const HistoryDay& b) { return a.date < b.date; });
}

void CheckPending(std::string_view historyText, std::string_view pendingText)
{
    PendingDays pending, again;
    if (ParsePending(pendingText, pending) != PendingLoad::Loaded)
        return;
    Require(ParsePending(FormatPending(pending), again) == PendingLoad::Loaded && again == pending);

    HistoryBook book;
    if (book.Load(historyText, Today) != HistoryLoad::Loaded)
        return;
    const std::vector<HistoryDay> before = book.Days({});
    book.Fold(pending);
    for (const PendingDay& day : pending) {
        auto had = std::find_if(before.begin(), before.end(), [&](const HistoryDay& d) { return d.date == day.date; });
        Require(book.CountsOn(day.date, {}) == FoldedCounts(had == before.end() ? HistoryCounts{} : had->counts, day));
    }
    const std::string folded = book.Render({});
    book.Fold(AsFloors(book, pending, {}));
    Require(book.Render({}) == folded);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t pendingAt = input.find(PendingHeader);
    const std::string_view text = input.substr(0, pendingAt);
    if (pendingAt != std::string_view::npos)
        CheckPending(text, input.substr(pendingAt));

    HistoryBook book;
    if (book.Load(text, Today) != HistoryLoad::Loaded)
        return 0;

    HistoryCounts start;
    start.seconds = 100;
    start.keys[0] = 5;
    HistoryCounts now = start;
    now.seconds += 60;
    now.keys[0] += 3;
    now.keys[HistoryKeyCount - 1] += 1;
    book.Begin(start);
    const std::string rendered = book.Render(now);
    Require(rendered.starts_with(HistoryHeader) && rendered.ends_with("\r\n"));
    for (std::size_t at = rendered.find('\n'); at != std::string::npos; at = rendered.find('\n', at + 1))
        Require(rendered[at - 1] == '\r');

    std::vector<HistoryDay> days;
    std::vector<std::string_view> unreadable;
    Expect(text, days, unreadable);
    Require(book.UnreadableLines() == static_cast<int>(unreadable.size()));
    // Each unreadable line's content is a line of the rendered text, in order.
    std::vector<std::string_view> lines = ContentsOf(rendered);
    auto line = lines.begin() + 1;
    for (std::string_view content : unreadable) {
        line = std::find(line, lines.end(), content);
        Require(line++ != lines.end());
    }
    // Every readable day with its counts; the running day with what it counted.
    auto today = std::find_if(days.begin(), days.end(), [](const HistoryDay& day) { return day.date >= Today; });
    if (today == days.end() || today->date != Today)
        today = days.insert(today, HistoryDay{Today, {}});
    AddDelta(today->counts, start, now);
    Require(book.Days(now) == days);

    HistoryPeriods periods = book.Periods(now);
    Require(NoMoreThan(periods.today, periods.last7) && NoMoreThan(periods.last7, periods.last30));
    Require(periods.today.seconds >= 60 && periods.today.keys[0] >= 3);

    HistoryBook again;
    Require(again.Load(rendered, Today) == HistoryLoad::Loaded);
    Require(again.UnreadableLines() == book.UnreadableLines());
    Require(again.Days({}) == days && again.Render({}) == rendered);

    // The next day closes this one; what it leaves loads again.
    book.Advance(AddDays(Today, 1), now);
    HistoryBook next;
    Require(next.Load(book.Render(now), AddDays(Today, 1)) == HistoryLoad::Loaded);
    Require(next.UnreadableLines() == book.UnreadableLines());
    return 0;
}
