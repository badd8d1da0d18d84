#include "history/history_file.h"

#include <algorithm>
#include <charconv>

const std::string_view HistoryHeader =
    "date,seconds,total,"
    "a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r,s,t,u,v,w,x,y,z,"
    "A,B,C,D,E,F,G,H,I,J,K,L,M,N,O,P,Q,R,S,T,U,V,W,X,Y,Z,"
    "0,1,2,3,4,5,6,7,8,9,right,left,up,down,"
    "colon,semicolon,at,yen,minus,period,comma,slash,bracketleft,bracketright,caret";

const std::array<std::string_view, HistoryKeyCount> HistoryKeyNames = {
    "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m",
    "n", "o", "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z",
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
    "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z",
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
    "right", "left", "up", "down",
    // VK_OEM_1, VK_OEM_PLUS, VK_OEM_3, VK_OEM_5, VK_OEM_MINUS, VK_OEM_PERIOD,
    // VK_OEM_COMMA, VK_OEM_2, VK_OEM_4, VK_OEM_6, VK_OEM_7: the JIS key tops
    "colon", "semicolon", "at", "yen", "minus", "period", "comma", "slash",
    "bracketleft", "bracketright", "caret",
};

namespace {

int64_t Clamped(int64_t value) { return std::clamp<int64_t>(value, 0, LargestHistoryValue); }

// Both within [0, LargestHistoryValue]: the sum cannot overflow before the cap.
int64_t CappedSum(int64_t a, int64_t b) { return std::min(a + b, LargestHistoryValue); }

int64_t Rise(int64_t from, int64_t to)
{
    from = Clamped(from);
    to = Clamped(to);
    return to > from ? to - from : 0;
}

bool ReadCount(std::string_view field, int64_t& value)
{
    if (field.empty() || field.size() > static_cast<std::size_t>(HistoryValueDigits))
        return false;
    int64_t read = 0;
    for (char c : field) {
        if (c < '0' || c > '9')
            return false;
        read = read * 10 + (c - '0');
    }
    value = read;
    return true;
}

void AppendCount(std::string& out, int64_t value)
{
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, Clamped(value)).ptr;
    out += ',';
    out.append(digits, end);
}

} // namespace

int64_t HistoryCounts::Strokes() const
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

std::optional<HistoryDay> ParseHistoryLine(std::string_view line)
{
    std::string_view fields[HistoryFieldCount];
    int count = 0;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = line.find(',', start);
        if (count == HistoryFieldCount)
            return std::nullopt;   // more fields than a line has
        fields[count++] = line.substr(start, comma == std::string_view::npos ? comma : comma - start);
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    if (count != HistoryFieldCount)
        return std::nullopt;

    HistoryDay day;
    std::optional<LocalDate> date = ParseLocalDate(fields[0]);
    if (!date)
        return std::nullopt;
    day.date = *date;
    int64_t total = 0;
    if (!ReadCount(fields[1], day.counts.seconds) || !ReadCount(fields[2], total))
        return std::nullopt;
    for (int key = 0; key < HistoryKeyCount; ++key) {
        if (!ReadCount(fields[3 + key], day.counts.keys[key]))
            return std::nullopt;
    }
    return day;
}

void AppendHistoryLine(std::string& out, const LocalDate& date, const HistoryCounts& counts)
{
    char text[LocalDateTextSize];
    FormatLocalDate(date, text);
    out.append(text, LocalDateTextSize);
    AppendCount(out, counts.seconds);
    AppendCount(out, counts.Strokes());
    for (int64_t count : counts.keys)
        AppendCount(out, count);
    out += "\r\n";
}
