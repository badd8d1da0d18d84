#include "store/keys_file.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr std::string_view Header = "key,count";

// A field without the quotes that a spreadsheet may put around it.
std::string_view Unquoted(std::string_view field)
{
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        field = field.substr(1, field.size() - 2);
    return field;
}

// "key,count", quoted or not; false when the line is not one.
bool SplitLine(std::string_view line, std::string_view& key, std::string_view& count)
{
    std::size_t comma = line.find(',');
    if (comma == std::string_view::npos)
        return false;
    key = Unquoted(line.substr(0, comma));
    count = Unquoted(line.substr(comma + 1));
    return true;
}

bool ReadCount(std::string_view digits, int64_t& count)
{
    if (digits.empty() || digits.size() > static_cast<std::size_t>(HistoryValueDigits))
        return false;
    count = 0;
    for (char digit : digits) {
        if (digit < '0' || digit > '9')
            return false;
        count = count * 10 + (digit - '0');
    }
    return true;
}

// As ReadKeysFile, also telling how many keys had a line.
KeysText ReadKeys(std::string_view text, OtherCounts& others, int& keysRead)
{
    others.fill(0);
    keysRead = 0;
    if (text.size() > LargestKeysFile)
        return KeysText::Foreign;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    bool seen[KeyTableSize] = {};
    bool headerRead = false;
    bool whole = true;
    while (!text.empty()) {
        std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::string_view name, digits;
        if (!headerRead) {
            if (!SplitLine(line, name, digits) || name != "key" || digits != "count")
                return KeysText::Foreign;
            headerRead = true;
            continue;
        }
        if (line.empty())
            continue;
        int64_t count = 0;
        int key = SplitLine(line, name, digits) && ReadCount(digits, count) ? KeyIndexOf(name) : NoKeyIndex;
        if (key == NoKeyIndex || seen[key]) {
            whole = false;
            continue;
        }
        seen[key] = true;
        ++keysRead;
        if (key >= DataFileKeyCount)
            others[key - DataFileKeyCount] = count;
    }
    if (!headerRead)
        return KeysText::Foreign;
    return whole ? KeysText::Whole : KeysText::Partly;
}

} // namespace

std::string FormatKeysFile(const HistoryCounts& allTime)
{
    std::string text(Header);
    text += "\r\n";
    text.reserve(KeyTableSize * 24);
    for (int key = 0; key < KeyTableSize; ++key) {
        char digits[24];
        auto end = std::to_chars(digits, digits + sizeof digits, std::clamp(allTime.keys[key], int64_t{0}, LargestHistoryValue)).ptr;
        text += KeyTable[key].column;
        text += ',';
        text.append(digits, end);
        text += "\r\n";
    }
    return text;
}

KeysText ReadKeysFile(std::string_view text, OtherCounts& others)
{
    int keysRead;
    return ReadKeys(text, others, keysRead);
}

bool IsCompleteKeysImage(const unsigned char* bytes, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(bytes), size);
    OtherCounts others;
    int keysRead;
    return text.ends_with("\r\n") && ReadKeys(text, others, keysRead) == KeysText::Whole && keysRead == KeyTableSize;
}
