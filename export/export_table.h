#pragma once
// The export table: ASCII, CRLF, the header "key,total,today,last7,last30",
// one line per key of the data file in history order, then "all" (the data
// file's total strokes and the periods' strokes) and "seconds" (the data
// file's running time and the periods' running time); then "allkeys" (the
// strokes of every key) and one line per other key, in history order.
// Column total is all time: the data file's, and the other keys' all-time
// counts. Last "activeminutes" (the clock minutes with a stroke) and
// "bestminute" (the most strokes in one of them; of several days, the
// largest day's): no all-time count keeps them, so their total is that of
// every day of the history (allDays), which days written before they were
// kept add nothing to.
#include <string>

#include "history/history_book.h"
#include "store/user_record.h"

std::string FormatHistoryExport(const StoredValues& values, const HistoryCounts& allTime, const HistoryPeriods& periods,
                                const HistoryCounts& allDays);
