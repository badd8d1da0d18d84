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
    {ChartSpan::Last30Days, "過去 30 日", "30", 30},
    {ChartSpan::Last90Days, "過去 90 日", "90", 90},
    {ChartSpan::Last365Days, "過去 365 日", "365", 365},
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

const char* ChartKeysCaption(ChartKeys keys) { return keys == ChartKeys::AllKeys ? "全キー" : "77 キー"; }

bool ParseChartKeys(const char* word, ChartKeys& keys)
{
    if (word == nullptr || !SameWordIgnoringCase(word, AllKeysWord))
        return false;
    keys = ChartKeys::AllKeys;
    return true;
}

const char* ChartListCaption(ChartList list) { return list == ChartList::Shortcuts ? "ショートカット" : "アプリ"; }

const char* ChartListHeading(ChartList list)
{
    return list == ChartList::Shortcuts ? "ショートカットごとの回数" : "アプリごとの打鍵数";
}

LocalDate WeekStart(const LocalDate& date) { return AddDays(date, -WeekdayIndex(date)); }

std::string FormatChartTitle(std::string_view user, ChartSpan span, ChartKeys keys, const LocalDate& today)
{
    return std::string(user) + "　" + ChartSpanCaption(span) + "　" + ChartKeysCaption(keys) + "　" +
           FormatJapaneseDate(today);
}
