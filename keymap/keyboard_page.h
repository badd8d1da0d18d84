#pragma once
#include <windows.h>

#include <cstdint>

#include "history/day_range.h"

// The fourth tab of the statistics window: the key map (template 154).
INT_PTR CALLBACK KeyboardPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Sent to the keyboard page: show 指定した期間 over a range of days, its
// first and last DayNumber in wParam and lParam (RangeMessageParameters).
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
