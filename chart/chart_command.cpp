#include "chart/chart_command.h"

#include <utility>
#include <vector>

#include "chart/chart_png.h"
#include "history/user_history.h"
#include "store/user_for_command.h"

namespace {

bool WriteChart(CommandUser& user, const std::wstring& file, const void* context)
{
    const ChartSpan span = *static_cast<const ChartSpan*>(context);
    LocalDate today = TodaysDate();
    DaySeries series = MakeDaySeries(std::move(user.days), today);
    std::string title = FormatChartTitle(user.name, span, today);
    ChartPicture picture;
    picture.series = &series;
    picture.view.span = span;
    picture.title = title.c_str();
    return WriteHistoryChartPng(file, picture);
}

} // namespace

int RunChartCommand(const wchar_t* user, const std::wstring& file, const wchar_t* spanWord)
{
    ChartSpan span = DefaultChartSpan;
    std::string word;
    bool argumentsRight = spanWord == nullptr || (ArgumentText(spanWord, word) && ParseChartSpan(word.c_str(), span));
    return RunUserCommand({argumentsRight, user, CommandReads::Days, file, WriteChart, &span});
}
