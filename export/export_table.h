#pragma once
// The export table: ASCII, CRLF, the header "key,total,today,last7,last30",
// one line per key in history order, then "all" (the data file's total
// strokes and the periods' strokes) and "seconds" (the data file's running
// time and the periods' running time). Column total is the data file's.
#include <string>

#include "history/history_book.h"
#include "store/user_record.h"

std::string FormatHistoryExport(const StoredValues& values, const HistoryPeriods& periods);
