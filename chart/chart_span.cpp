#include "chart/chart_span.h"

#include <cstdint>

namespace {

// The words are ASCII: only ASCII letters fold.
bool SameWordIgnoringCase(const char* a, const char* b)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (lower(*a) != lower(*b))
            return false;
    }
    return *a == *b;
}

struct SpanFacts {
    ChartSpan span;
    const char* caption;
    const char* word;
    int days;
};

constexpr SpanFacts Spans[] = {
    {ChartSpan::Last30Days, "過去30日", "30", 30},
    {ChartSpan::Last90Days, "過去90日", "90", 90},
    {ChartSpan::Last365Days, "過去365日", "365", 365},
    {ChartSpan::All, "全期間", "all", 0},
};

const SpanFacts& FactsOf(ChartSpan span)
{
    for (const SpanFacts& facts : Spans) {
        if (facts.span == span)
            return facts;
    }
    return Spans[0];
}

} // namespace

const char* ChartSpanCaption(ChartSpan span) { return FactsOf(span).caption; }

const char* ChartSpanWord(ChartSpan span) { return FactsOf(span).word; }

int ChartSpanDays(ChartSpan span) { return FactsOf(span).days; }

bool ParseChartSpan(const char* word, ChartSpan& span)
{
    if (word == nullptr)
        return false;
    for (ChartSpan candidate : ChartSpans) {
        if (SameWordIgnoringCase(word, ChartSpanWord(candidate))) {
            span = candidate;
            return true;
        }
    }
    return false;
}

const char* ChartKeysCaption(ChartKeys keys) { return keys == ChartKeys::AllKeys ? "全キー" : "77キー"; }

bool ParseChartKeys(const char* word, ChartKeys& keys)
{
    if (word == nullptr || !SameWordIgnoringCase(word, AllKeysWord))
        return false;
    keys = ChartKeys::AllKeys;
    return true;
}

int WeekdayIndex(const LocalDate& date)
{
    // 1970-01-01 was a Thursday, weekday 3.
    int32_t shifted = DayNumber(date) + 3;
    int weekday = shifted % 7;
    return weekday < 0 ? weekday + 7 : weekday;
}

LocalDate WeekStart(const LocalDate& date) { return AddDays(date, -WeekdayIndex(date)); }

const char* WeekdayName(int weekday)
{
    static const char* const Names[7] = {"月", "火", "水", "木", "金", "土", "日"};
    return weekday >= 0 && weekday < 7 ? Names[weekday] : "";
}

std::string FormatJapaneseDate(const LocalDate& date)
{
    return std::to_string(date.year) + "年" + std::to_string(date.month) + "月" + std::to_string(date.day) + "日（" +
           WeekdayName(WeekdayIndex(date)) + "）";
}

std::string FormatJapaneseRange(const DateRange& range)
{
    if (range.first == range.last)
        return FormatJapaneseDate(range.first);
    return FormatJapaneseDate(range.first) + "～" + FormatJapaneseDate(range.last);
}

std::string FormatChartTitle(std::string_view user, ChartSpan span, ChartKeys keys, const LocalDate& today)
{
    return std::string(user) + "　" + ChartSpanCaption(span) + "　" + ChartKeysCaption(keys) + "　" +
           FormatJapaneseDate(today);
}
