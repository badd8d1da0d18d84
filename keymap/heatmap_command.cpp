#include "keymap/heatmap_command.h"

#include "keymap/map_period.h"
#include "keymap/map_png.h"
#include "store/user_for_command.h"

int RunHeatmapCommand(const wchar_t* user, const std::wstring& file, const wchar_t* periodWord)
{
    MapPeriod period = DefaultMapPeriod;
    std::string word;
    if (periodWord != nullptr && (!UserOfArgument(periodWord, word) || !ParseMapPeriod(word.c_str(), period)))
        return CommandWrongArguments;
    std::string name;
    if (!UserOfArgument(user, name))
        return CommandUnknownUser;
    StoredValues values{};
    HistoryPeriods periods;
    // All time is the data file's: it needs no history.
    CommandExit read = ReadUserForCommand(name.c_str(), values, periods, period != MapPeriod::All);
    if (read != CommandDone)
        return read;
    if (CheckCommandTarget(file) != CommandDone)
        return CommandUnwritable;
    KeyMapPicture picture;
    picture.counts = KeyCountsOfPeriod(period, values, periods);
    std::string title = name + " - " + MapPeriodCaption(period);
    picture.title = title.c_str();
    return WriteKeyMapPng(file, picture) ? CommandDone : CommandUnwritable;
}
