#include "win/ansi_text.h"

#include <cstring>

bool IsLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::size_t CharLength(const char* text)
{
    return IsLeadByte(static_cast<unsigned char>(text[0])) && text[1] != '\0' ? 2 : 1;
}

bool CopyIfFits(char* dst, std::size_t capacity, const char* src)
{
    if (capacity == 0)
        return false;
    std::size_t length = std::strlen(src);
    if (length >= capacity) {
        dst[0] = '\0';
        return false;
    }
    std::memcpy(dst, src, length + 1);
    return true;
}

bool AppendIfFits(char* dst, std::size_t capacity, const char* src)
{
    std::size_t used = std::strlen(dst);
    std::size_t length = std::strlen(src);
    if (used + length >= capacity)
        return false;
    std::memcpy(dst + used, src, length + 1);
    return true;
}

void CopyTruncated(char* dst, std::size_t capacity, const char* src)
{
    if (capacity == 0)
        return;
    std::size_t used = 0;
    while (src[used] != '\0') {
        std::size_t step = CharLength(src + used);
        if (used + step >= capacity)
            break;
        used += step;
    }
    std::memcpy(dst, src, used);
    dst[used] = '\0';
}

static unsigned char FoldAscii(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

bool EqualsIgnoringCase(const char* a, const char* b, std::size_t limit)
{
    std::size_t i = 0;
    while (i < limit) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (IsLeadByte(ca)) {
            // Both bytes of a double-byte character compare exactly.
            if (ca != cb)
                return false;
            if (++i >= limit)
                return true;
            if (a[i] != b[i])
                return false;
            if (a[i] == '\0')
                return true;
            ++i;
            continue;
        }
        if (FoldAscii(ca) != FoldAscii(cb))
            return false;
        if (ca == '\0')
            return true;
        ++i;
    }
    return true;
}

bool EndsWithIgnoringCase(const char* text, const char* suffix)
{
    std::size_t length = std::strlen(text);
    std::size_t suffixLength = std::strlen(suffix);
    if (suffixLength > length)
        return false;
    // The suffix must start on a character boundary of text.
    std::size_t start = length - suffixLength;
    std::size_t at = 0;
    while (at < start)
        at += CharLength(text + at);
    return at == start && EqualsIgnoringCase(text + start, suffix, suffixLength);
}
