#pragma once
// Numbers as decimal text without the C library's printf, whose formatting
// machinery (floating point included) would be a tenth of the program.
#include <cstdint>

// Room for any value: a sign, 19 digits and the NUL.
constexpr int DecimalTextSize = 21;

// Writes value as printf's "%0*lld" with a width of minDigits (the sign
// counted in the width: -5 at 2 is "-5") and a NUL; returns the NUL's place.
char* WriteDecimal(char (&out)[DecimalTextSize], int64_t value, int minDigits = 1);
