// Cost of the history's save each minute, with ten years of days and with
// none, and of the export table from a ten-year file (read, sum, format).
#include <benchmark/benchmark.h>

#include <string>

#include "export/export_table.h"
#include "history/history_book.h"
#include "store/user_record.h"

namespace {

constexpr LocalDate Today{2026, 3, 10};
constexpr int TenYears = 3650;

HistoryCounts Snapshot(int64_t minutes)
{
    HistoryCounts counts;
    counts.seconds = minutes * 60;
    for (int key = 0; key < HistoryKeyCount; ++key)
        counts.keys[key] = minutes * (key % 7 + 1);
    return counts;
}

// A typing day: a few thousand strokes spread over the keys, some hours.
std::string TenYearHistory()
{
    std::string text(HistoryHeader);
    text += "\r\n";
    for (int day = TenYears; day >= 1; --day) {
        HistoryCounts counts;
        counts.seconds = 3600 * 4 + day % 3600;
        for (int key = 0; key < HistoryKeyCount; ++key)
            counts.keys[key] = (day * 31 + key * 17) % (key < 26 ? 400 : 40);
        AppendHistoryLine(text, AddDays(Today, -day), counts);
    }
    return text;
}

void RenderWithHistory(benchmark::State& state, const std::string& text)
{
    HistoryBook book;
    book.Load(text, Today);
    book.Begin(Snapshot(1000));
    int64_t minute = 1000;
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string rendered = book.Render(Snapshot(++minute));
        bytes += rendered.size();
        benchmark::DoNotOptimize(rendered.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["file bytes"] = static_cast<double>(bytes / state.iterations());
}

void RenderNoHistory(benchmark::State& state) { RenderWithHistory(state, ""); }
BENCHMARK(RenderNoHistory);

void RenderTenYears(benchmark::State& state) { RenderWithHistory(state, TenYearHistory()); }
BENCHMARK(RenderTenYears);

void ExportFromTenYears(benchmark::State& state)
{
    const std::string text = TenYearHistory();
    StoredValues values{};
    for (int field = 1; field <= StoredValueCount; ++field)
        values[field - 1] = field * 1000;
    for (auto _ : state) {
        // As /export reads them: the periods and every day, for the minutes' total.
        HistoryBook book;
        book.Load(text, Today);
        HistoryCounts allDays;
        for (const HistoryDay& day : book.Days(HistoryCounts{}))
            AddCounts(allDays, day.counts);
        std::string table = FormatHistoryExport(values, SnapshotOf(values), book.Periods(HistoryCounts{}), allDays);
        benchmark::DoNotOptimize(table.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(text.size() * state.iterations()));
}
BENCHMARK(ExportFromTenYears);

} // namespace

BENCHMARK_MAIN();
