#include "history/app_days.h"

#include <algorithm>
#include <charconv>

#include "history/history_file.h"

const std::string_view UnknownApp = "(\xE4\xB8\x8D\xE6\x98\x8E)";   // (不明)
const std::string_view AppsHeader = "date,app,strokes";
const std::string_view ShortcutsHeader = "date,shortcut,strokes";

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
    for (const AppCount& count : more)
        AddAppStrokes(sum, count.app, count.strokes);
}

void RaiseAppCounts(AppCounts& counts, const AppCounts& floor)
{
    for (const AppCount& count : floor) {
        if (count.strokes > 0) {
            int64_t& at = At(counts, count.app);
            at = std::max(at, Clamped(count.strokes));
        }
    }
}

void AddAppDelta(AppCounts& sum, const AppCounts& from, const AppCounts& to)
{
    for (const AppCount& count : to)
        AddAppStrokes(sum, count.app, Clamped(count.strokes) - Clamped(CountOf(from, count.app)));
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
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
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
    return AppsLine{*date, {(*fields)[1], strokes}};
}

AppsLoad AppBook::Load(std::string_view text)
{
    if (text.size() > LargestAppsFile)
        return AppsLoad::TooLarge;
    if (text.starts_with(ByteOrderMark))
        text.remove_prefix(ByteOrderMark.size());
    AppBook read(kind_);
    if (!text.empty()) {
        LineSpan header = LineAt(text, 0);
        std::optional<std::vector<std::string>> columns = Fields(WithoutPadding(text.substr(0, header.contentEnd)));
        const char* name = kind_ == Tally::Apps ? "app" : "shortcut";
        if (!columns || *columns != std::vector<std::string>{"date", name, "strokes"})
            return AppsLoad::NotApps;
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
            // A program's second line of a day adds to its first: a spreadsheet
            // may have split them.
            AddAppStrokes(read.days_[parsed->date], parsed->count.app, parsed->count.strokes);
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
    std::string text(kind_ == Tally::Apps ? AppsHeader : ShortcutsHeader);
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
