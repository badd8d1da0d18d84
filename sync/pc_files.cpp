#include "sync/pc_files.h"

#include "history/history_file.h"

namespace {

constexpr std::string_view Suffixes[PcFileKinds] = {".history.csv", ".keys.csv", ".apps.csv", ".history.pending",
                                                    ".shortcuts.csv"};
constexpr char HexDigits[] = "0123456789abcdef";

bool IsNameCharacter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'_';
}

bool IsPcName(std::string_view name)
{
    if (name.empty() || name.size() > LongestPcName)
        return false;
    for (char c : name) {
        if (!IsNameCharacter(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

} // namespace

std::size_t LargestPcFile(PcFileKind kind)
{
    switch (kind) {
    case PcFileKind::History:
        return LargestHistoryFile;
    case PcFileKind::Apps:
    case PcFileKind::Shortcuts:
        return LargestAppsFile;
    case PcFileKind::Keys:
        return 64 * 1024;
    case PcFileKind::Pending:
        break;
    }
    return 1024 * 1024;
}

std::string FileNameOf(std::string_view pc, PcFileKind kind)
{
    std::string name(pc);
    name += Suffixes[static_cast<int>(kind)];
    return name;
}

std::optional<PcFileName> ParsePcFileName(std::string_view fileName)
{
    for (int kind = 0; kind < PcFileKinds; ++kind) {
        if (!fileName.ends_with(Suffixes[kind]))
            continue;
        std::string_view pc = fileName.substr(0, fileName.size() - Suffixes[kind].size());
        // The id after the last hyphen; the name has none, so that a sync
        // engine's "-OTHERPC" after a name is never taken for one.
        std::size_t hyphen = pc.rfind('-');
        if (hyphen == std::string_view::npos || !IsPcName(pc.substr(0, hyphen)) || !IsPcId(pc.substr(hyphen + 1)))
            return std::nullopt;
        return PcFileName{std::string(pc), static_cast<PcFileKind>(kind)};
    }
    return std::nullopt;
}

std::string PcNameOf(std::wstring_view computerName)
{
    std::string name;
    for (wchar_t c : computerName.substr(0, LongestPcName))
        name += IsNameCharacter(c) ? static_cast<char>(c) : '_';
    return name.empty() ? "PC" : name;
}

std::string PcIdText(uint32_t number)
{
    std::string id(PcIdDigits, '0');
    for (std::size_t digit = PcIdDigits; digit-- > 0; number >>= 4)
        id[digit] = HexDigits[number & 15];
    return id;
}

bool IsPcId(std::string_view text)
{
    if (text.size() != PcIdDigits)
        return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

std::string PcOf(std::string_view name, std::string_view id)
{
    std::string pc(name);
    pc += '-';
    pc += id;
    return pc;
}
