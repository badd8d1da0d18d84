#include "stats/dialog_template.h"

namespace {

constexpr uint16_t ExtendedVersion = 1;
constexpr uint16_t ExtendedSignature = 0xFFFF;
constexpr uint32_t SetFontStyle = 0x40;   // DS_SETFONT
// dlgVer, signature, helpID, exStyle, style, cDlgItems, x, y, cx, cy.
constexpr std::size_t HeaderWords = 13;
constexpr std::size_t StyleAt = 6;

// Steps over a string and its NUL.
bool SkipString(const uint16_t* words, std::size_t count, std::size_t& at)
{
    while (at < count && words[at] != 0)
        ++at;
    if (at >= count)
        return false;
    ++at;
    return true;
}

// Steps over a menu or a class: none (one 0), an ordinal (0xFFFF and a
// number) or a name.
bool SkipNameOrOrdinal(const uint16_t* words, std::size_t count, std::size_t& at)
{
    if (at < count && words[at] == 0xFFFF) {
        at += 2;
        return at <= count;
    }
    return SkipString(words, count, at);
}

} // namespace

std::optional<std::size_t> TemplatePointSizeAt(const uint16_t* words, std::size_t count)
{
    if (words == nullptr || count < HeaderWords || words[0] != ExtendedVersion || words[1] != ExtendedSignature)
        return std::nullopt;
    uint32_t style = words[StyleAt] | static_cast<uint32_t>(words[StyleAt + 1]) << 16;
    if ((style & SetFontStyle) == 0)
        return std::nullopt;
    std::size_t at = HeaderWords;
    if (!SkipNameOrOrdinal(words, count, at) || !SkipNameOrOrdinal(words, count, at) ||
        !SkipString(words, count, at) || at >= count)
        return std::nullopt;
    return at;
}

int ScaledPointSize(int points, unsigned wantedDpi, unsigned assumedDpi)
{
    if (assumedDpi == 0)
        return points;
    long long scaled = static_cast<long long>(points) * wantedDpi;
    return static_cast<int>((scaled + assumedDpi / 2) / assumedDpi);
}
