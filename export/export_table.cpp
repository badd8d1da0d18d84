#include "export/export_table.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "keys/key_table.h"

namespace {

void AppendField(std::string& out, int64_t value)
{
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out += ',';
    out.append(digits, end);
}

void AppendExportLine(std::string& out, std::string_view key, int64_t total, int64_t today, int64_t last7,
                      int64_t last30)
{
    out += key;
    AppendField(out, total);
    AppendField(out, today);
    AppendField(out, last7);
    AppendField(out, last30);
    out += "\r\n";
}

} // namespace

std::string FormatHistoryExport(const StoredValues& values, const HistoryCounts& allTime, const HistoryPeriods& periods,
                                const HistoryCounts& allDays)
{
    std::string table = "key,total,today,last7,last30\r\n";
    table.reserve(4096);
    auto keyLine = [&](int key) {
        AppendExportLine(table, KeyTable[key].column, allTime.keys[key], periods.today.keys[key],
                         periods.last7.keys[key], periods.last30.keys[key]);
    };
    for (int key = 0; key < DataFileKeyCount; ++key)
        keyLine(key);
    const int64_t total = std::max(values[FieldTotalStrokes - 1], 0);
    AppendExportLine(table, "all", total, periods.today.Strokes(), periods.last7.Strokes(), periods.last30.Strokes());
    AppendExportLine(table, "seconds", allTime.seconds, periods.today.seconds, periods.last7.seconds,
                     periods.last30.seconds);
    // Every key beyond the data file's, after the lines it always had.
    HistoryCounts others = allTime;
    std::fill(others.keys.begin(), others.keys.begin() + DataFileKeyCount, 0);
    AppendExportLine(table, "allkeys", total + others.AllStrokes(), periods.today.AllStrokes(),
                     periods.last7.AllStrokes(), periods.last30.AllStrokes());
    for (int key = DataFileKeyCount; key < HistoryKeyCount; ++key)
        keyLine(key);
    AppendExportLine(table, "activeminutes", allDays.activeMinutes, periods.today.activeMinutes,
                     periods.last7.activeMinutes, periods.last30.activeMinutes);
    AppendExportLine(table, "bestminute", allDays.bestMinute, periods.today.bestMinute, periods.last7.bestMinute,
                     periods.last30.bestMinute);
    return table;
}
