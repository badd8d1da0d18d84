#include "history/history_file.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr std::string_view LeadingColumns[3] = {"date", "seconds", "total"};
constexpr std::string_view AllKeysColumn = "allkeys";

// The name of each column, index 0 the date's.
constexpr std::string_view ColumnName(int index)
{
    if (index < 3)
        return LeadingColumns[index];
    int key = index - 3;
    if (key < DataFileKeyCount)
        return KeyTable[key].column;
    if (key == DataFileKeyCount)
        return AllKeysColumn;
    return KeyTable[key - 1].column;
}

// The header's text, made once at compile time from the key table.
constexpr std::size_t HeaderLength()
{
    std::size_t length = 0;
    for (int index = 0; index < HistoryFieldCount; ++index)
        length += ColumnName(index).size() + 1;
    return length - 1;   // no comma after the last
}

constexpr std::array<char, HeaderLength()> HeaderText = [] {
    std::array<char, HeaderLength()> text{};
    std::size_t at = 0;
    for (int index = 0; index < HistoryFieldCount; ++index) {
        if (at > 0)
            text[at++] = ',';
        for (char c : ColumnName(index))
            text[at++] = c;
    }
    return text;
}();

int64_t Clamped(int64_t value) { return std::clamp<int64_t>(value, 0, LargestHistoryValue); }

// Both within [0, LargestHistoryValue]: the sum cannot overflow before the cap.
int64_t CappedSum(int64_t a, int64_t b) { return std::min(a + b, LargestHistoryValue); }

int64_t Rise(int64_t from, int64_t to)
{
    from = Clamped(from);
    to = Clamped(to);
    return to > from ? to - from : 0;
}

// The field at `at`, RFC 4180 quotes taken off (quoted is then set); at
// moves past the field and its comma, or to npos after the line's last
// field. No field of a history holds a quote or a comma, so a quoted field
// with a doubled quote inside, or with text after its closing quote, is
// refused.
bool NextField(std::string_view line, std::size_t& at, std::string_view& field, bool& quoted)
{
    std::size_t end;   // the comma after the field, or the line's end
    if (at < line.size() && line[at] == '"') {
        std::size_t close = line.find('"', at + 1);
        if (close == std::string_view::npos || (close + 1 < line.size() && line[close + 1] != ','))
            return false;
        field = line.substr(at + 1, close - at - 1);
        quoted = true;
        end = close + 1;
    } else {
        end = std::min(line.find(',', at), line.size());
        field = line.substr(at, end - at);
    }
    at = end == line.size() ? std::string_view::npos : end + 1;
    return true;
}

// The count field at `at`, read as NextField reads a field but in the same
// pass as its digits: the load reads some 160 of these a line. ended tells
// that the line ends after it. A leading zero reads, but is not how Kivora
// writes a number.
bool ReadCountField(std::string_view line, std::size_t& at, bool& ended, int64_t& value, bool& ownForm)
{
    const bool quoted = at < line.size() && line[at] == '"';
    if (quoted) {
        ++at;
        ownForm = false;
    }
    const std::size_t begin = at;
    uint64_t read = 0;   // unsigned: more digits than a count has wrap, and are refused
    for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at)
        read = read * 10 + static_cast<uint64_t>(line[at] - '0');
    const std::size_t digits = at - begin;
    if (digits == 0 || digits > static_cast<std::size_t>(HistoryValueDigits))
        return false;
    if (line[begin] == '0' && digits > 1)
        ownForm = false;
    if (quoted && (at == line.size() || line[at++] != '"'))
        return false;
    value = static_cast<int64_t>(read);
    ended = at == line.size();
    return ended || line[at++] == ',';
}

void AppendCount(std::string& out, int64_t value)
{
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, Clamped(value)).ptr;
    out += ',';
    out.append(digits, end);
}

} // namespace

const std::string_view HistoryHeader(HeaderText.data(), HeaderText.size());

int64_t HistoryCounts::Strokes() const
{
    int64_t sum = 0;
    for (int key = 0; key < DataFileKeyCount; ++key)
        sum = CappedSum(sum, Clamped(keys[key]));
    return sum;
}

int64_t HistoryCounts::AllStrokes() const
{
    int64_t sum = 0;
    for (int64_t count : keys)
        sum = CappedSum(sum, Clamped(count));
    return sum;
}

void AddCounts(HistoryCounts& sum, const HistoryCounts& more)
{
    sum.seconds = CappedSum(Clamped(sum.seconds), Clamped(more.seconds));
    for (int key = 0; key < HistoryKeyCount; ++key)
        sum.keys[key] = CappedSum(Clamped(sum.keys[key]), Clamped(more.keys[key]));
}

void AddDelta(HistoryCounts& sum, const HistoryCounts& from, const HistoryCounts& to)
{
    sum.seconds = CappedSum(Clamped(sum.seconds), Rise(from.seconds, to.seconds));
    for (int key = 0; key < HistoryKeyCount; ++key)
        sum.keys[key] = CappedSum(Clamped(sum.keys[key]), Rise(from.keys[key], to.keys[key]));
}

LineSpan LineAt(std::string_view text, std::size_t at)
{
    std::size_t newline = text.find('\n', at);
    if (newline == std::string_view::npos)
        return {at, text.size(), text.size()};
    std::size_t contentEnd = newline > at && text[newline - 1] == '\r' ? newline - 1 : newline;
    return {at, contentEnd, newline + 1};
}

void RaiseCounts(HistoryCounts& counts, const HistoryCounts& floor)
{
    counts.seconds = std::max(Clamped(counts.seconds), Clamped(floor.seconds));
    for (int key = 0; key < HistoryKeyCount; ++key)
        counts.keys[key] = std::max(Clamped(counts.keys[key]), Clamped(floor.keys[key]));
}

std::string_view WithoutPadding(std::string_view line)
{
    for (;;) {
        if (line.ends_with(','))
            line.remove_suffix(1);
        else if (line.ends_with(",\"\""))
            line.remove_suffix(3);
        else
            return line;
    }
}

bool IsHistoryHeader(std::string_view line, bool& ownForm)
{
    ownForm = line == HistoryHeader;
    if (ownForm)
        return true;
    line = WithoutPadding(line);
    std::size_t at = 0;
    std::string_view field;
    bool quoted = false;
    int fields = 0;
    for (; fields < HistoryFieldCount && at != std::string_view::npos; ++fields) {
        if (!NextField(line, at, field, quoted) || field != ColumnName(fields))
            return false;
    }
    // The whole header, or the one before every key was counted.
    return at == std::string_view::npos && (fields == HistoryFieldCount || fields == DataFileFieldCount);
}

std::optional<HistoryDay> ParseHistoryLine(std::string_view line)
{
    bool ownForm = true;
    return ParseHistoryLine(line, ownForm);
}

std::optional<HistoryDay> ParseHistoryLine(std::string_view line, bool& ownForm)
{
    const std::string_view padded = line;
    line = WithoutPadding(line);
    std::size_t at = 0;
    std::string_view dateField;
    bool quoted = false;
    if (!NextField(line, at, dateField, quoted) || at == std::string_view::npos)
        return std::nullopt;
    ownForm = !quoted && line.size() == padded.size();

    HistoryDay day;
    std::optional<LocalDate> date = ParseLocalDate(dateField);
    if (!date) {
        date = ParseSlashedDate(dateField);
        ownForm = false;
    }
    if (!date)
        return std::nullopt;
    day.date = *date;
    // Seconds, total and the keys (allkeys among them), from one place so
    // that the reading of a field is inlined.
    int64_t counts[HistoryFieldCount - 1];
    int read = 0;
    for (bool ended = false; !ended;) {
        if (read == HistoryFieldCount - 1 || !ReadCountField(line, at, ended, counts[read], ownForm))
            return std::nullopt;
        ++read;
    }
    // Every column, or those of a line written before every key was counted.
    if (read != HistoryFieldCount - 1 && read != DataFileFieldCount - 1)
        return std::nullopt;
    day.counts.seconds = counts[0];
    const int64_t* keys = counts + 2;
    std::copy(keys, keys + DataFileKeyCount, day.counts.keys.begin());
    if (read == HistoryFieldCount - 1) {
        std::copy(keys + DataFileKeyCount + 1, static_cast<const int64_t*>(counts + read),
                  day.counts.keys.begin() + DataFileKeyCount);
        ownForm = ownForm && keys[DataFileKeyCount] == day.counts.AllStrokes();
    } else {
        ownForm = false;
    }
    ownForm = ownForm && counts[1] == day.counts.Strokes();
    return day;
}

void AppendHistoryLine(std::string& out, const LocalDate& date, const HistoryCounts& counts)
{
    char text[LocalDateTextSize];
    FormatLocalDate(date, text);
    out.append(text, LocalDateTextSize);
    AppendCount(out, counts.seconds);
    AppendCount(out, counts.Strokes());
    for (int key = 0; key < HistoryKeyCount; ++key) {
        if (key == DataFileKeyCount)
            AppendCount(out, counts.AllStrokes());
        AppendCount(out, counts.keys[key]);
    }
    out += "\r\n";
}
