#include "chart/chart_command.h"

#include <vector>

#include "chart/chart_png.h"
#include "history/user_history.h"
#include "store/user_for_command.h"

int RunChartCommand(const wchar_t* user, const std::wstring& file, const wchar_t* spanWord)
{
    ChartSpan span = DefaultChartSpan;
    std::string word;
    if (spanWord != nullptr && (!UserOfArgument(spanWord, word) || !ParseChartSpan(word.c_str(), span)))
        return CommandWrongArguments;
    std::string name;
    if (!UserOfArgument(user, name))
        return CommandUnknownUser;
    StoredValues values{};
    std::vector<HistoryDay> days;
    CommandExit read = ReadUserDaysForCommand(name.c_str(), values, days);
    if (read != CommandDone)
        return read;
    if (CheckCommandTarget(file) != CommandDone)
        return CommandUnwritable;
    LocalDate today = TodaysDate();
    DaySeries series = MakeDaySeries(std::move(days), today);
    std::string title = FormatChartTitle(name, span, today);
    ChartPicture picture;
    picture.series = &series;
    picture.view.span = span;
    picture.title = title.c_str();
    return WriteHistoryChartPng(file, picture) ? CommandDone : CommandUnwritable;
}
