#include "win/decimal_text.h"

#include <charconv>
#include <cstring>

char* WriteDecimal(char (&out)[DecimalTextSize], int64_t value, int minDigits)
{
    char digits[DecimalTextSize];
    char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const int sign = value < 0 ? 1 : 0;
    const int length = static_cast<int>(end - digits);
    const int width = minDigits < DecimalTextSize - 1 ? minDigits : DecimalTextSize - 1;
    const int padding = width > length ? width - length : 0;
    char* at = out;
    if (sign)
        *at++ = '-';
    std::memset(at, '0', static_cast<std::size_t>(padding));
    at += padding;
    std::memcpy(at, digits + sign, static_cast<std::size_t>(length - sign));
    at += length - sign;
    *at = '\0';
    return at;
}
