// Reading any bytes as a history file: never reads out of bounds; a text it
// loads renders back with every line but the running day's byte for byte and
// in order, and what it renders loads again the same way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "history/history_book.h"

namespace {

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

// Every line after the header, except the first readable one of today, is in
// the rendered text, in order.
void RequireKeptLines(std::string_view text, std::string_view rendered, const LocalDate& today)
{
    std::size_t at = text.find('\n');
    if (at == std::string_view::npos)
        return;
    ++at;
    bool todaySeen = false;
    std::size_t from = 0;
    while (at < text.size()) {
        std::size_t newline = text.find('\n', at);
        std::size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
        std::string_view line = text.substr(at, end - at);
        at = end;
        std::string_view content = line;
        if (!content.empty() && content.back() == '\n') {
            content.remove_suffix(1);
            if (!content.empty() && content.back() == '\r')
                content.remove_suffix(1);
        }
        auto day = ParseHistoryLine(content);
        if (day && day->date == today && !todaySeen) {
            todaySeen = true;
            continue;
        }
        std::size_t found = rendered.find(line, from);
        Require(found != std::string_view::npos);
        from = found + line.size();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const LocalDate today{2026, 3, 10};
    HistoryBook book;
    if (book.Load(text, today) != HistoryLoad::Loaded)
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
    RequireKeptLines(text, rendered, today);

    HistoryPeriods periods = book.Periods(now);
    Require(NoMoreThan(periods.today, periods.last7) && NoMoreThan(periods.last7, periods.last30));
    Require(periods.today.seconds >= 60 && periods.today.keys[0] >= 3);

    HistoryBook again;
    Require(again.Load(rendered, today) == HistoryLoad::Loaded);
    Require(again.UnreadableLines() == book.UnreadableLines());
    Require(again.TodayCounts({}) == book.TodayCounts(now));

    // The next day closes this one; what it leaves loads again.
    book.Advance(AddDays(today, 1), now);
    HistoryBook next;
    Require(next.Load(book.Render(now), AddDays(today, 1)) == HistoryLoad::Loaded);
    Require(next.UnreadableLines() == book.UnreadableLines());
    return 0;
}
