#include "programs/program_table.h"

#include <algorithm>

#include "history/history_file.h"
#include "win/decimal_text.h"

namespace {

int ShareOf(int64_t strokes, int64_t total)
{
    return total > 0 ? static_cast<int>(static_cast<double>(strokes) * 1000.0 / static_cast<double>(total) + 0.5) : 0;
}

void AppendNumber(std::string& out, int64_t value)
{
    char digits[DecimalTextSize];
    WriteDecimal(digits, value);
    out += digits;
}

bool SameWord(std::string_view word, std::string_view lower)
{
    return word.size() == lower.size() && std::equal(word.begin(), word.end(), lower.begin(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
           });
}

} // namespace

std::vector<RankedApp> RankApps(const AppCounts& counts, std::size_t largest)
{
    const int64_t total = TotalStrokes(counts);
    std::vector<RankedApp> ranked;
    for (const AppCount& count : counts) {
        if (count.strokes <= 0)
            continue;
        // The counts come in name order: inserted after every one with as
        // many strokes, the names of equals stay in order. A few hundred
        // programs at most.
        auto at = ranked.end();
        while (at != ranked.begin() && (at - 1)->strokes < count.strokes)
            --at;
        ranked.insert(at, {count.app, count.strokes, 0});
    }
    if (ranked.size() > largest) {
        RankedApp others;
        for (std::size_t at = largest; at < ranked.size(); ++at)
            others.strokes = std::min(others.strokes + ranked[at].strokes, LargestHistoryValue);
        ranked.resize(largest);
        ranked.push_back(others);
    }
    for (RankedApp& app : ranked)
        app.shareTenths = ShareOf(app.strokes, total);
    return ranked;
}

std::string ShareText(int shareTenths)
{
    std::string text;
    AppendNumber(text, shareTenths / 10);
    text += '.';
    text += static_cast<char>('0' + shareTenths % 10);
    return text;
}

std::string FormatAppsTable(const AppCounts& counts)
{
    std::string table = "app,strokes,share\r\n";
    for (const RankedApp& app : RankApps(counts)) {
        AppendCsvField(table, app.app);
        table += ',';
        AppendNumber(table, app.strokes);
        table += ',';
        table += ShareText(app.shareTenths);
        table += "\r\n";
    }
    return table;
}

std::optional<DateRange> AppsPeriod(std::string_view word, const LocalDate& today)
{
    if (SameWord(word, "all"))
        return DateRange{{1, 1, 1}, {9999, 12, 31}};
    if (SameWord(word, "today"))
        return DateRange{today, today};
    if (word == "7" || word == "30")
        return DateRange{AddDays(today, word == "7" ? -6 : -29), today};
    return ParseDateRange(word);
}
