#pragma once
// A range of days carried by a window message between the statistics
// window's tabs: its first and last DayNumber in wParam and lParam.
#include <windows.h>

#include <cstdint>

#include "history/day_range.h"
#include "history/local_date.h"

// Sent by the history page to the statistics window, its tab control's
// parent, for キーボードで表示: show the keyboard tab with the map of a range.
constexpr UINT ShowKeysOfDaysMessage = WM_APP + 21;

// Sent to the keyboard page: show 指定した期間 over a range.
constexpr UINT ShowMapRangeMessage = WM_APP + 20;

inline void RangeMessageParameters(const DateRange& range, WPARAM& wParam, LPARAM& lParam)
{
    wParam = static_cast<WPARAM>(static_cast<LPARAM>(DayNumber(range.first)));
    lParam = static_cast<LPARAM>(DayNumber(range.last));
}

inline DateRange RangeOfMessage(WPARAM wParam, LPARAM lParam)
{
    return {DateOfDayNumber(static_cast<int32_t>(static_cast<LPARAM>(wParam))),
            DateOfDayNumber(static_cast<int32_t>(lParam))};
}
