#pragma once
// The export table: ASCII, CRLF, the header "key,total,today,last7,last30",
// one line per key of the data file in history order, then "all" (the data
// file's total strokes and the periods' strokes) and "seconds" (the data
// file's running time and the periods' running time); then "allkeys" (the
// strokes of every key) and one line per other key, in history order.
// Column total is all time: the data file's, and the other keys' all-time
// counts.
#include <string>

#include "history/history_book.h"
#include "store/user_record.h"

std::string FormatHistoryExport(const StoredValues& values, const HistoryCounts& allTime, const HistoryPeriods& periods);
