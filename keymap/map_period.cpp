#include "keymap/map_period.h"

#include <cstring>

const char* MapPeriodCaption(MapPeriod period)
{
    switch (period) {
    case MapPeriod::Today:
        return "今日";
    case MapPeriod::Last7Days:
        return "過去7日";
    case MapPeriod::Last30Days:
        return "過去30日";
    case MapPeriod::All:
        break;
    }
    return "全期間";
}

const char* MapPeriodWord(MapPeriod period)
{
    switch (period) {
    case MapPeriod::Today:
        return "today";
    case MapPeriod::Last7Days:
        return "7";
    case MapPeriod::Last30Days:
        return "30";
    case MapPeriod::All:
        break;
    }
    return "all";
}

bool ParseMapPeriod(const char* word, MapPeriod& period)
{
    if (word == nullptr)
        return false;
    for (MapPeriod candidate : MapPeriods) {
        if (std::strcmp(word, MapPeriodWord(candidate)) == 0) {
            period = candidate;
            return true;
        }
    }
    return false;
}

bool MapPeriodTakesDay(MapPeriod period, int daysAgo)
{
    if (period == MapPeriod::All)
        return true;
    if (daysAgo < 0)
        return false;
    switch (period) {
    case MapPeriod::Today:
        return daysAgo == 0;
    case MapPeriod::Last7Days:
        return daysAgo < 7;
    case MapPeriod::Last30Days:
        return daysAgo < 30;
    case MapPeriod::All:
        break;
    }
    return true;
}
