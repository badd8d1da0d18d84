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
    ranked.reserve(counts.size());
    int64_t unnamed = 0;
    for (const AppCount& count : counts) {
        if (count.strokes <= 0)
            continue;
        if (count.app == OtherApps)
            unnamed = count.strokes;
        else
            ranked.push_back({count.app, count.strokes, ShareOf(count.strokes, total)});
    }
    // The counts come in name order: a stable sort keeps the names of equals in it.
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const RankedApp& a, const RankedApp& b) { return a.strokes > b.strokes; });
    if (unnamed > 0)
        ranked.push_back({std::string(OtherApps), unnamed, ShareOf(unnamed, total)});
    return largest == EveryApp ? ranked : TopOfRanking(ranked, largest);
}

std::vector<RankedApp> TopOfRanking(const std::vector<RankedApp>& ranked, std::size_t largest)
{
    if (ranked.size() <= largest)
        return ranked;
    int64_t total = 0;
    for (const RankedApp& app : ranked)
        total = std::min(total + app.strokes, LargestHistoryValue);
    std::vector<RankedApp> top(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(largest));
    RankedApp others;
    for (std::size_t at = largest; at < ranked.size(); ++at)
        others.strokes = std::min(others.strokes + ranked[at].strokes, LargestHistoryValue);
    others.shareTenths = ShareOf(others.strokes, total);
    top.push_back(others);
    return top;
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
    // The mark makes a spreadsheet read the names as UTF-8.
    std::string table(Utf8ByteOrderMark);
    table += "app,strokes,share\r\n";
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
