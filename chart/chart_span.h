#pragma once
// The spans of days the daily chart offers, as its list captions them and as
// the command line names them, the keys whose strokes it counts, what the
// list beside its bars ranks, and the Japanese date texts the chart writes.
#include <string>
#include <string_view>

#include "history/day_range.h"
#include "history/local_date.h"

enum class ChartSpan { Last30Days, Last90Days, Last365Days, All };
constexpr ChartSpan DefaultChartSpan = ChartSpan::Last30Days;
constexpr ChartSpan ChartSpans[] = {ChartSpan::Last30Days, ChartSpan::Last90Days, ChartSpan::Last365Days,
                                    ChartSpan::All};

// 過去 30 日, 過去 90 日, 過去 365 日, 全期間 (code page 932).
const char* ChartSpanCaption(ChartSpan span);

// The command-line word: 30, 90, 365, all.
const char* ChartSpanWord(ChartSpan span);

// The days a span shows, ending today: 30, 90, 365; 0 for all of them.
int ChartSpanDays(ChartSpan span);

// Reads a word as ChartSpanWord writes it, in any letter case; anything else
// (another spelling, a null) is refused and span is left alone.
bool ParseChartSpan(const char* word, ChartSpan& span);

// The strokes the chart counts: those of the data file's 77 keys (the
// history's total, as the count pages add them up), or of every key (its
// allkeys).
enum class ChartKeys { DataFileKeys, AllKeys };
constexpr ChartKeys DefaultChartKeys = ChartKeys::DataFileKeys;
constexpr ChartKeys ChartKeyChoices[] = {ChartKeys::DataFileKeys, ChartKeys::AllKeys};

// 77 キー, 全キー (code page 932).
const char* ChartKeysCaption(ChartKeys keys);

// The command line's last word for every key.
constexpr char AllKeysWord[] = "allkeys";

// Reads AllKeysWord in any letter case as AllKeys; anything else (a null
// too) is refused and keys is left alone.
bool ParseChartKeys(const char* word, ChartKeys& keys);

// What the list beside the bars ranks: the strokes per program, or the
// shortcuts by name.
enum class ChartList { Programs, Shortcuts };
constexpr ChartList DefaultChartList = ChartList::Programs;
constexpr ChartList ChartListChoices[] = {ChartList::Programs, ChartList::Shortcuts};

// アプリ, ショートカット (code page 932): the choice's captions.
const char* ChartListCaption(ChartList list);
// The list's heading: アプリごとの打鍵数, ショートカットごとの回数.
const char* ChartListHeading(ChartList list);

// The Monday of the date's week.
LocalDate WeekStart(const LocalDate& date);

// The picture's title line: "taro　過去 30 日　全キー　2026年12月7日（月）".
std::string FormatChartTitle(std::string_view user, ChartSpan span, ChartKeys keys, const LocalDate& today);
