#include "chart/day_series.h"

#include <algorithm>

#include "keys/key_table.h"
#include "win/decimal_text.h"

namespace {

constexpr int BackspaceKey = KeyIndexOf("backspace");
static_assert(BackspaceKey != NoKeyIndex);

// Two years and a day: the longest span still shown a week a bar.
constexpr int32_t LongestWeeklySpan = 731;
constexpr int32_t LongestDailySpan = 90;

int WeekdayOfNumber(int32_t dayNumber)
{
    int weekday = (dayNumber + 3) % 7;   // 1970-01-01 was a Thursday
    return weekday < 0 ? weekday + 7 : weekday;
}

// The last day of the bucket that starts on dayNumber.
int32_t BucketEnd(int32_t dayNumber, BarGrouping grouping)
{
    switch (grouping) {
    case BarGrouping::Week:
        return dayNumber + 6 - WeekdayOfNumber(dayNumber);
    case BarGrouping::Month: {
        LocalDate date = DateOfDayNumber(dayNumber);
        return dayNumber + DaysInMonth(date.year, date.month) - date.day;
    }
    case BarGrouping::Day:
        break;
    }
    return dayNumber;
}

// Every count from 0 to the history's largest value, as a read line has
// them: the sums below need no clamping then.
void Clamp(HistoryCounts& counts)
{
    auto clamp = [](int64_t& count) { count = std::clamp<int64_t>(count, 0, LargestHistoryValue); };
    clamp(counts.seconds);
    for (int64_t& count : counts.keys)
        clamp(count);
    clamp(counts.activeMinutes);
    clamp(counts.bestMinute);
    for (int64_t& count : counts.hours)
        clamp(count);
}

// a + b of two counts of at most LargestHistoryValue, kept there.
int64_t Capped(int64_t a, int64_t b) { return std::min(a + b, LargestHistoryValue); }

void Refill(DaySeries& series, const DaysToAdd* more = nullptr)
{
    series.dayNumbers.resize(series.days.size());
    series.strokes.resize(series.days.size());
    series.allStrokes.resize(series.days.size());
    std::size_t cursor = 0;
    series.timedStrokes.resize(series.days.size());
    for (std::size_t i = 0; i < series.days.size(); ++i) {
        if (more != nullptr)
            more->AddOn(series.days[i], cursor);   // while the day is at hand
        Clamp(series.days[i].counts);
        series.dayNumbers[i] = DayNumber(series.days[i].date);
        series.strokes[i] = series.days[i].counts.Strokes();
        series.allStrokes[i] = series.days[i].counts.AllStrokes();
        series.timedStrokes[i] = TimedStrokes(series.days[i].counts);
    }
}

} // namespace

DaySeries MakeDaySeries(std::vector<HistoryDay> days, const LocalDate& today, const DaysToAdd* more)
{
    auto earlier = [](const HistoryDay& a, const HistoryDay& b) { return a.date < b.date; };
    if (!std::is_sorted(days.begin(), days.end(), earlier))
        std::stable_sort(days.begin(), days.end(), earlier);
    auto sameDate = [](const HistoryDay& a, const HistoryDay& b) { return a.date == b.date; };
    days.erase(std::unique(days.begin(), days.end(), sameDate), days.end());
    if (more != nullptr)
        more->AddDatesTo(days);
    auto afterToday = std::upper_bound(days.begin(), days.end(), today,
                                       [](const LocalDate& date, const HistoryDay& day) { return date < day.date; });
    days.erase(afterToday, days.end());

    DaySeries series;
    series.today = today;
    series.days = std::move(days);
    Refill(series, more);
    return series;
}

void SetRunningDay(DaySeries& series, const HistoryCounts& counts)
{
    HistoryCounts clamped = counts;
    Clamp(clamped);
    if (!series.days.empty() && series.days.back().date == series.today) {
        series.days.back().counts = clamped;
        series.strokes.back() = clamped.Strokes();
        series.allStrokes.back() = clamped.AllStrokes();
        series.timedStrokes.back() = TimedStrokes(clamped);
        return;
    }
    // Like the file, which has no line for a day that has counted nothing.
    if (clamped.IsEmpty())
        return;
    series.days.push_back({series.today, clamped});
    series.dayNumbers.push_back(DayNumber(series.today));
    series.strokes.push_back(clamped.Strokes());
    series.allStrokes.push_back(clamped.AllStrokes());
    series.timedStrokes.push_back(TimedStrokes(clamped));
}

int64_t TimedStrokes(const HistoryCounts& counts)
{
    if (counts.activeMinutes <= 0)
        return 0;
    int64_t strokes = 0;
    for (int64_t hour : counts.hours)
        strokes = Capped(strokes, std::clamp<int64_t>(hour, 0, LargestHistoryValue));
    return strokes;
}

int64_t TypingSpeed(int64_t timedStrokes, int64_t activeMinutes)
{
    if (activeMinutes <= 0)
        return -1;
    timedStrokes = std::max<int64_t>(timedStrokes, 0);
    // Half up without overflowing: the quotient, plus one when the remainder is half or more.
    int64_t remainder = timedStrokes % activeMinutes;
    return timedStrokes / activeMinutes + (remainder >= activeMinutes - remainder ? 1 : 0);
}

int64_t StrokesOf(const HistoryCounts& counts, ChartKeys keys)
{
    return keys == ChartKeys::AllKeys ? counts.AllStrokes() : counts.Strokes();
}

const std::vector<int64_t>& StrokesOfDays(const DaySeries& series, ChartKeys keys)
{
    return keys == ChartKeys::AllKeys ? series.allStrokes : series.strokes;
}

LocalDate FirstDay(const DaySeries& series) { return series.days.empty() ? series.today : series.days.front().date; }

std::size_t FirstDayFrom(const DaySeries& series, int32_t dayNumber)
{
    return static_cast<std::size_t>(std::lower_bound(series.dayNumbers.begin(), series.dayNumbers.end(), dayNumber) -
                                    series.dayNumbers.begin());
}

HistoryCounts SumOfDays(const DaySeries& series, const DateRange& range)
{
    return SumOfHistoryDays(series.days, range);
}

int64_t StrokesPerHour(int64_t strokes, int64_t seconds)
{
    if (seconds <= 0 || strokes <= 0)
        return 0;
    long double rate = static_cast<long double>(strokes) * 3600 / static_cast<long double>(seconds);
    return rate >= static_cast<long double>(LargestHistoryValue) ? LargestHistoryValue : static_cast<int64_t>(rate);
}

DateRange SpanDates(const DaySeries& series, ChartSpan span)
{
    int days = ChartSpanDays(span);
    return {days > 0 ? AddDays(series.today, 1 - days) : FirstDay(series), series.today};
}

BarGrouping GroupingOf(const DateRange& range)
{
    int32_t days = DayNumber(range.last) - DayNumber(range.first) + 1;
    if (days <= LongestDailySpan)
        return BarGrouping::Day;
    return days <= LongestWeeklySpan ? BarGrouping::Week : BarGrouping::Month;
}

std::vector<DayBucket> GroupDays(const DaySeries& series, const DateRange& range, BarGrouping grouping,
                                 ChartKeys keys)
{
    std::vector<DayBucket> buckets;
    int32_t first = DayNumber(range.first);
    int32_t last = DayNumber(range.last);
    std::vector<int32_t> ends;
    for (int32_t start = first; start <= last;) {
        int32_t end = std::min(BucketEnd(start, grouping), last);
        DayBucket bucket;
        bucket.dates = {DateOfDayNumber(start), DateOfDayNumber(end)};
        buckets.push_back(bucket);
        ends.push_back(end);
        start = end + 1;
    }
    std::size_t at = 0;
    for (std::size_t i = FirstDayFrom(series, first); i < series.days.size() && series.dayNumbers[i] <= last; ++i) {
        while (ends[at] < series.dayNumbers[i])
            ++at;
        AddCounts(buckets[at].counts, series.days[i].counts);
        buckets[at].timedStrokes = Capped(buckets[at].timedStrokes, series.timedStrokes[i]);
    }
    for (DayBucket& bucket : buckets)
        bucket.strokes = StrokesOf(bucket.counts, keys);
    return buckets;
}

WeekHours HoursOfWeek(const DaySeries& series, const DateRange& range)
{
    WeekHours week;
    const int32_t last = DayNumber(range.last);
    for (std::size_t i = FirstDayFrom(series, DayNumber(range.first));
         i < series.days.size() && series.dayNumbers[i] <= last; ++i) {
        int64_t* row = week.strokes.data() + WeekdayOfNumber(series.dayNumbers[i]) * HoursOfDay;
        const std::array<int64_t, HoursOfDay>& hours = series.days[i].counts.hours;
        for (int hour = 0; hour < HoursOfDay; ++hour)
            row[hour] = Capped(row[hour], hours[hour]);
        week.timedStrokes = Capped(week.timedStrokes, series.timedStrokes[i]);
    }
    for (int cell = 0; cell < WeekHourCount; ++cell) {
        if (week.strokes[cell] > 0 && (week.busiest < 0 || week.strokes[cell] > week.strokes[week.busiest]))
            week.busiest = cell;
    }
    return week;
}

std::string FormatBusiestHour(const WeekHours& hours, bool shortForm)
{
    if (hours.busiest < 0)
        return "時間帯の記録なし";
    std::string text = shortForm ? "" : "いちばん打つのは ";
    text += WeekdayName(hours.busiest / HoursOfDay);
    text += "曜 " + std::to_string(hours.busiest % HoursOfDay) + " 時台";
    return text;
}

std::string FormatGrouped(int64_t value)
{
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    std::string text = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return text;
}

int CorrectionPermille(const HistoryCounts& sums)
{
    int64_t all = sums.AllStrokes();
    if (all <= 0)
        return -1;
    int64_t corrections = std::clamp<int64_t>(sums.keys[BackspaceKey], 0, all);
    // Exact for any count a day can reach; at counts past 2^53 a tie may round
    // either way.
    return static_cast<int>(static_cast<double>(corrections) * 1000 / static_cast<double>(all) + 0.5);
}

bool HasRate(int64_t seconds) { return seconds >= RatedSeconds; }

std::string FormatRangeFigures(const HistoryCounts& sums, ChartKeys keys, int64_t timedStrokes)
{
    std::string text;
    auto append = [&text](int64_t value) {
        char digits[DecimalTextSize];
        text.append(digits, WriteDecimal(digits, value, 1));
    };
    int64_t strokes = StrokesOf(sums, keys);
    text += FormatGrouped(strokes);
    text += " 打鍵　起動時間 ";
    if (sums.seconds >= 3600) {
        append(sums.seconds / 3600);
        text += " 時間 ";
    }
    append(sums.seconds / 60 % 60);
    text += " 分　";
    text += HasRate(sums.seconds) ? FormatGrouped(StrokesPerHour(strokes, sums.seconds)) : std::string("-");
    text += " 打/h　打鍵速度 ";
    int64_t speed = TypingSpeed(timedStrokes, sums.activeMinutes);
    if (speed < 0) {
        text += "- 打/分";
        return text;
    }
    text += FormatGrouped(speed) + " 打/分（最高 " + FormatGrouped(sums.bestMinute) + "）";
    return text;
}

std::string FormatKeysLine(const HistoryCounts& sums, ChartKeys keys)
{
    std::string text = "訂正率 ";
    int permille = CorrectionPermille(sums);
    if (permille < 0)
        return text + "-";
    text += std::to_string(permille / 10) + "." + std::to_string(permille % 10) + "%";
    // The three highest counts; on a tie the earlier key in history order.
    int keyCount = keys == ChartKeys::AllKeys ? HistoryKeyCount : DataFileKeyCount;
    int top[3] = {-1, -1, -1};
    for (int key = 0; key < keyCount; ++key) {
        if (sums.keys[key] <= 0)
            continue;
        for (int place = 0; place < 3; ++place) {
            if (top[place] < 0 || sums.keys[key] > sums.keys[top[place]]) {
                for (int later = 2; later > place; --later)
                    top[later] = top[later - 1];
                top[place] = key;
                break;
            }
        }
    }
    for (int place = 0; place < 3 && top[place] >= 0; ++place) {
        text += place == 0 ? "　よく打ったキー: " : "、";
        text += KeyTable[top[place]].label;
        text += ' ';
        text += FormatGrouped(sums.keys[top[place]]);
    }
    return text;
}
