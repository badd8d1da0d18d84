#include "keymap/heatmap_command.h"

#include <string>

#include "keymap/map_period.h"
#include "keymap/map_png.h"
#include "store/user_for_command.h"

int RunHeatmapCommand(const char* user, const char* file, const char* periodWord)
{
    MapPeriod period = DefaultMapPeriod;
    if (periodWord != nullptr && !ParseMapPeriod(periodWord, period))
        return CommandWrongArguments;
    StoredValues values{};
    HistoryPeriods periods;
    CommandExit read = ReadUserForCommand(user, values, periods);
    if (read != CommandDone)
        return read;
    KeyMapPicture picture;
    picture.counts = KeyCountsOfPeriod(period, values, periods);
    std::string title = std::string(user) + " - " + MapPeriodCaption(period);
    picture.title = title.c_str();
    return WriteKeyMapPng(file, picture) ? CommandDone : CommandUnwritable;
}
