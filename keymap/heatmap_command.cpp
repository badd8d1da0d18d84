#include "keymap/heatmap_command.h"

#include <vector>

#include "keymap/map_period.h"
#include "keymap/map_png.h"
#include "store/user_for_command.h"

int RunHeatmapCommand(const wchar_t* user, const std::wstring& file, const wchar_t* periodWord)
{
    MapPeriod period = DefaultMapPeriod;
    DateRange range;
    std::string word;
    if (periodWord != nullptr) {
        if (!UserOfArgument(periodWord, word))
            return CommandWrongArguments;
        std::optional<DateRange> named = ParseDateRange(word);
        if (named) {
            period = MapPeriod::Range;
            range = *named;
        } else if (!ParseMapPeriod(word.c_str(), period)) {
            return CommandWrongArguments;
        }
    }
    std::string name;
    if (!UserOfArgument(user, name))
        return CommandUnknownUser;
    StoredValues values{};
    HistoryPeriods periods;
    HistoryCounts rangeSums;
    CommandExit read = CommandDone;
    if (period == MapPeriod::Range) {
        std::vector<HistoryDay> days;
        read = ReadUserDaysForCommand(name.c_str(), values, days);
        rangeSums = SumOfHistoryDays(days, range);
    } else {
        // All time is the data file's: it needs no history.
        read = ReadUserForCommand(name.c_str(), values, periods, period != MapPeriod::All);
    }
    if (read != CommandDone)
        return read;
    if (CheckCommandTarget(file) != CommandDone)
        return CommandUnwritable;
    KeyMapPicture picture;
    picture.counts = KeyCountsOfPeriod(period, values, periods, rangeSums);
    std::string title = MapTitle(name, period, range);
    picture.title = title.c_str();
    return WriteKeyMapPng(file, picture) ? CommandDone : CommandUnwritable;
}
