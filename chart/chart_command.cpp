#include "chart/chart_command.h"

#include <utility>
#include <vector>

#include "chart/chart_png.h"
#include "history/user_history.h"
#include "store/user_for_command.h"

namespace {

struct ChartArguments {
    ChartSpan span = DefaultChartSpan;
    ChartKeys keys = DefaultChartKeys;
};

bool ReadChartArguments(const wchar_t* first, const wchar_t* second, ChartArguments& arguments)
{
    std::string word;
    if (first == nullptr)
        return true;
    if (!ArgumentText(first, word))
        return false;
    if (second == nullptr && ParseChartKeys(word.c_str(), arguments.keys))
        return true;
    if (!ParseChartSpan(word.c_str(), arguments.span))
        return false;
    return second == nullptr || (ArgumentText(second, word) && ParseChartKeys(word.c_str(), arguments.keys));
}

bool WriteChart(CommandUser& user, const std::wstring& file, const void* context)
{
    const ChartArguments& arguments = *static_cast<const ChartArguments*>(context);
    LocalDate today = TodaysDate();
    DaySeries series = MakeDaySeries(std::move(user.days), today);
    std::string title = FormatChartTitle(user.name, arguments.span, arguments.keys, today);
    ChartPicture picture;
    picture.series = &series;
    picture.view.span = arguments.span;
    picture.view.keys = arguments.keys;
    const std::vector<RankedApp> programs = RankApps(user.apps.Sum(SpanDates(series, arguments.span)));
    picture.view.ranked = &programs;
    picture.title = title.c_str();
    return WriteHistoryChartPng(file, picture);
}

} // namespace

int RunChartCommand(const wchar_t* user, const std::wstring& file, const wchar_t* spanWord,
                    const wchar_t* keysWord)
{
    ChartArguments arguments;
    bool argumentsRight = ReadChartArguments(spanWord, keysWord, arguments);
    return RunUserCommand({argumentsRight, user, CommandReads::DaysAndApps, file, WriteChart, &arguments});
}
