#include "keymap/heatmap_command.h"

#include <vector>

#include "history/user_history.h"
#include "keymap/map_period.h"
#include "keymap/map_png.h"
#include "store/user_for_command.h"

namespace {

struct HeatmapArguments {
    MapPeriod period = DefaultMapPeriod;
    DateRange range;   // of MapPeriod::Range
};

bool ReadHeatmapArguments(const wchar_t* periodWord, HeatmapArguments& arguments)
{
    std::string word;
    if (periodWord == nullptr)
        return true;
    if (!ArgumentText(periodWord, word))
        return false;
    std::optional<DateRange> named = ParseDateRange(word);
    if (!named)
        return ParseMapPeriod(word.c_str(), arguments.period);
    arguments.period = MapPeriod::Range;
    arguments.range = *named;
    return true;
}

bool WriteHeatmap(CommandUser& user, const std::wstring& file, const void* context)
{
    const HeatmapArguments& arguments = *static_cast<const HeatmapArguments*>(context);
    HistoryCounts rangeSums;
    if (arguments.period == MapPeriod::Range)
        rangeSums = SumOfHistoryDays(user.days, arguments.range);
    KeyMapPicture picture;
    picture.counts = KeyCountsOfPeriod(arguments.period, user.allTime, user.periods, rangeSums);
    std::string title = MapTitle(user.name, arguments.period, arguments.range, picture.mode, TodaysDate());
    picture.title = title.c_str();
    return WriteKeyMapPng(file, picture);
}

} // namespace

int RunHeatmapCommand(const wchar_t* user, const std::wstring& file, const wchar_t* periodWord)
{
    HeatmapArguments arguments;
    bool argumentsRight = ReadHeatmapArguments(periodWord, arguments);
    // All time is the data file's: it needs no history.
    CommandReads reads = arguments.period == MapPeriod::Range ? CommandReads::Days
                         : arguments.period == MapPeriod::All ? CommandReads::DataFileOnly
                                                              : CommandReads::Periods;
    return RunUserCommand({argumentsRight, user, reads, file, WriteHeatmap, &arguments});
}
