#include "history/app_days.h"

#include <algorithm>
#include <charconv>

#include "history/history_file.h"

const std::string_view UnknownApp = "(\xE4\xB8\x8D\xE6\x98\x8E)";   // (不明)
const std::string_view OtherApps = "(\xE3\x81\x9D\xE3\x81\xAE\xE4\xBB\x96)";   // (その他)
const std::string_view AppsHeader = "date,app,strokes";
const std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

int64_t Clamped(int64_t value) { return std::clamp<int64_t>(value, 0, LargestHistoryValue); }

AppCounts::iterator Find(AppCounts& counts, std::string_view app)
{
    return std::lower_bound(counts.begin(), counts.end(), app,
                            [](const AppCount& count, std::string_view name) { return count.app < name; });
}

// The count of app, made if it is not there.
int64_t& At(AppCounts& counts, std::string_view app)
{
    auto at = Find(counts, app);
    if (at == counts.end() || at->app != app)
        at = counts.insert(at, AppCount{std::string(app), 0});
    return at->strokes;
}

int64_t CountOf(const AppCounts& counts, std::string_view app)
{
    auto at = std::lower_bound(counts.begin(), counts.end(), app,
                               [](const AppCount& count, std::string_view name) { return count.app < name; });
    return at != counts.end() && at->app == app ? at->strokes : 0;
}

bool ByName(const AppCount& a, const AppCount& b) { return a.app < b.app; }

// Two lists in name order made one, a program in both given combine(its
// count in a, in b): work in proportion to both, whatever their sizes.
template <typename Combine>
AppCounts Merged(const AppCounts& a, const AppCounts& b, Combine combine)
{
    AppCounts merged;
    merged.reserve(a.size() + b.size());
    auto x = a.begin();
    auto y = b.begin();
    while (x != a.end() || y != b.end()) {
        if (y == b.end() || (x != a.end() && x->app < y->app)) {
            merged.push_back({x->app, combine(x->strokes, int64_t{0})});
            ++x;
        } else if (x == a.end() || y->app < x->app) {
            merged.push_back({y->app, combine(int64_t{0}, y->strokes)});
            ++y;
        } else {
            merged.push_back({x->app, combine(x->strokes, y->strokes)});
            ++x;
            ++y;
        }
    }
    return merged;
}

// A program's several counts (a spreadsheet may split a day's line) added up,
// after sorting by name.
void CombineByName(AppCounts& counts)
{
    std::stable_sort(counts.begin(), counts.end(), ByName);
    std::size_t kept = 0;
    for (std::size_t at = 0; at < counts.size(); ++at) {
        if (kept > 0 && counts[kept - 1].app == counts[at].app)
            counts[kept - 1].strokes = std::min(counts[kept - 1].strokes + Clamped(counts[at].strokes), LargestHistoryValue);
        else
            counts[kept++] = {std::move(counts[at].app), Clamped(counts[at].strokes)};
    }
    counts.resize(kept);
}

// What a spreadsheet takes for the start of a formula.
bool StartsFormula(char c) { return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r' || c == '\n'; }

void DropEmpty(AppCounts& counts)
{
    counts.erase(std::remove_if(counts.begin(), counts.end(), [](const AppCount& c) { return c.strokes <= 0; }),
                 counts.end());
}

// The fields of a CSV line, RFC 4180 quotes taken off; none when a quote is
// not closed.
std::optional<std::vector<std::string>> Fields(std::string_view line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t at = 0; at < line.size(); ++at) {
        char c = line[at];
        if (quoted) {
            if (c != '"')
                fields.back() += c;
            else if (at + 1 < line.size() && line[at + 1] == '"')
                fields.back() += line[++at];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (quoted)
        return std::nullopt;
    return fields;
}

} // namespace

void AddAppStrokes(AppCounts& counts, std::string_view app, int64_t strokes)
{
    if (strokes <= 0 || app.empty())
        return;
    int64_t& count = At(counts, app);
    count = std::min(Clamped(count) + Clamped(strokes), LargestHistoryValue);
}

void AddAppCounts(AppCounts& sum, const AppCounts& more)
{
    if (more.empty())
        return;
    sum = Merged(sum, more, [](int64_t a, int64_t b) { return std::min(Clamped(a) + Clamped(b), LargestHistoryValue); });
    DropEmpty(sum);
}

void RaiseAppCounts(AppCounts& counts, const AppCounts& floor)
{
    if (floor.empty())
        return;
    counts = Merged(counts, floor, [](int64_t a, int64_t b) { return std::max(a, Clamped(b)); });
    DropEmpty(counts);
}

void AddAppDelta(AppCounts& sum, const AppCounts& from, const AppCounts& to)
{
    AppCounts delta;
    for (const AppCount& count : to) {
        const int64_t rise = Clamped(count.strokes) - Clamped(CountOf(from, count.app));
        if (rise > 0)
            delta.push_back({count.app, rise});
    }
    AddAppCounts(sum, delta);
}

AppCounts LessApps(const AppCounts& counts, const AppCounts& taken)
{
    AppCounts less = counts;
    for (AppCount& count : less)
        count.strokes = Clamped(count.strokes) - Clamped(CountOf(taken, count.app));
    DropEmpty(less);
    return less;
}

int64_t TotalStrokes(const AppCounts& counts)
{
    int64_t sum = 0;
    for (const AppCount& count : counts)
        sum = std::min(sum + Clamped(count.strokes), LargestHistoryValue);
    return sum;
}

void AppendCsvField(std::string& out, std::string_view field)
{
    const bool asText = !field.empty() && (StartsFormula(field[0]) || field[0] == '\'');
    if (!asText && field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    if (asText)
        out += '\'';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

std::string_view CsvFieldText(std::string_view field)
{
    // Only before what AppendCsvField guards: a name that begins with an
    // apostrophe of its own, in a file of an earlier Kivora, keeps it.
    if (field.size() >= 2 && field[0] == '\'' && (StartsFormula(field[1]) || field[1] == '\''))
        field.remove_prefix(1);
    return field;
}

bool IsAppsHeader(std::string_view line)
{
    std::optional<std::vector<std::string>> columns = Fields(WithoutPadding(line));
    return columns && *columns == std::vector<std::string>{"date", "app", "strokes"};
}

void AppendAppsLine(std::string& out, const LocalDate& date, const AppCount& count)
{
    char text[LocalDateTextSize];
    FormatLocalDate(date, text);
    out.append(text, LocalDateTextSize);
    out += ',';
    AppendCsvField(out, count.app);
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, Clamped(count.strokes)).ptr;
    out += ',';
    out.append(digits, end);
}

std::optional<AppsLine> ParseAppsLine(std::string_view line)
{
    std::optional<std::vector<std::string>> fields = Fields(WithoutPadding(line));
    if (!fields || fields->size() != 3 || (*fields)[1].empty())
        return std::nullopt;
    std::optional<LocalDate> date = ParseLocalDate((*fields)[0]);
    if (!date)
        date = ParseSlashedDate((*fields)[0]);
    const std::string& digits = (*fields)[2];
    int64_t strokes = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), strokes);
    if (!date || error != std::errc() || end != digits.data() + digits.size() || digits.empty() ||
        digits.size() > static_cast<std::size_t>(HistoryValueDigits) || strokes < 0)
        return std::nullopt;
    return AppsLine{*date, {std::string(CsvFieldText((*fields)[1])), strokes}};
}

AppsLoad AppBook::Load(std::string_view text)
{
    if (text.size() > LargestAppsFile)
        return AppsLoad::TooLarge;
    if (text.starts_with(ByteOrderMark))
        text.remove_prefix(ByteOrderMark.size());
    AppBook read;
    if (!text.empty()) {
        LineSpan header = LineAt(text, 0);
        if (!IsAppsHeader(text.substr(0, header.contentEnd)))
            return AppsLoad::NotApps;
        // The lines gathered and then put in order: a day of many programs
        // costs n log n, not a search and an insertion a line.
        std::vector<AppsLine> lines;
        for (std::size_t at = header.end; at < text.size();) {
            LineSpan line = LineAt(text, at);
            at = line.end;
            std::string_view content = text.substr(line.begin, line.contentEnd - line.begin);
            if (content.empty())
                continue;
            std::optional<AppsLine> parsed = ParseAppsLine(content);
            if (!parsed) {
                ++read.unreadableLines_;
                continue;
            }
            lines.push_back(std::move(*parsed));
        }
        std::stable_sort(lines.begin(), lines.end(),
                         [](const AppsLine& a, const AppsLine& b) { return a.date < b.date; });
        for (std::size_t at = 0; at < lines.size();) {
            AppCounts day;
            const LocalDate date = lines[at].date;
            for (; at < lines.size() && lines[at].date == date; ++at)
                day.push_back(std::move(lines[at].count));
            // A program's second line of a day adds to its first: a spreadsheet
            // may have split them.
            CombineByName(day);
            DropEmpty(day);
            if (!day.empty())
                read.days_.emplace(date, std::move(day));
        }
    }
    *this = std::move(read);
    return AppsLoad::Loaded;
}

const AppCounts* AppBook::On(const LocalDate& date) const
{
    auto day = days_.find(date);
    return day == days_.end() ? nullptr : &day->second;
}

AppCounts AppBook::Added(const AppCounts* day, const AppCounts& counts)
{
    AppCounts sum = day != nullptr ? *day : AppCounts{};
    AddAppCounts(sum, counts);
    return sum;
}

void AppBook::Set(const LocalDate& date, AppCounts counts)
{
    DropEmpty(counts);
    if (counts.empty())
        days_.erase(date);
    else
        days_[date] = std::move(counts);
}

AppCounts AppBook::Sum(const DateRange& range) const
{
    AppCounts sum;
    for (auto day = days_.lower_bound(range.first); day != days_.end() && !(range.last < day->first); ++day)
        AddAppCounts(sum, day->second);
    return sum;
}

std::string AppBook::Render() const
{
    std::string text(Utf8ByteOrderMark);
    text += AppsHeader;
    text += "\r\n";
    for (const auto& [date, counts] : days_) {
        for (const AppCount& count : counts) {
            if (count.strokes > 0) {
                AppendAppsLine(text, date, count);
                text += "\r\n";
            }
        }
    }
    return text;
}
