#pragma once
// The days of several PCs put together: a PC's history as days, the days of
// PCs added by date, and what tells a day copied from another PC's.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "history/history_book.h"

// Appends the readable days of a history's text, in date order; false when
// the text is not a history (another first line, too large).
bool DaysOfHistoryText(std::string_view text, const LocalDate& today, std::vector<HistoryDay>& days);

// local + more, date by date; both in date order, one day a date.
std::vector<HistoryDay> AddDaysByDate(const std::vector<HistoryDay>& local, const std::vector<HistoryDay>& more);
// Today, the last 7 and the last 30 days of days in date order.
HistoryPeriods PeriodsOfDays(const std::vector<HistoryDay>& days, const LocalDate& today);
// sum += more, period by period.
void AddPeriods(HistoryPeriods& sum, const HistoryPeriods& more);

// A short fingerprint of a file's bytes: equal bytes, equal prints.
uint64_t FingerprintOf(std::string_view bytes);

// True when every day of older is a day of newer with no count larger: older
// is what the history held at an earlier save, as far as its days tell.
bool IsEarlierState(const std::vector<HistoryDay>& older, const std::vector<HistoryDay>& newer);
