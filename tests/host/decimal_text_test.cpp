#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>

#include "win/decimal_text.h"

namespace {

// What the C library's "%0*lld" writes is what the files and the windows
// have always shown.
TEST(DecimalText, WritesWhatPrintfWrites)
{
    struct Case {
        int64_t value;
        int minDigits;
    } cases[] = {
        {0, 1},                                          // a count never struck
        {7, 2},                                          // seconds of the clock: "07"
        {59, 2},
        {123, 2},                                        // wider than asked: all digits
        {-5, 2},                                         // the sign counts in the width
        {-5, 3},                                         // zeros after the sign
        {42, 8},                                         // a record of the data file
        {99'999'999, 8},                                 // the largest record
        {std::numeric_limits<int32_t>::min(), 1},        // a count's whole range
        {std::numeric_limits<int64_t>::max(), 1},
        {std::numeric_limits<int64_t>::min(), 1},
        {5, 40},                                         // more digits than fit: as many as fit
    };
    for (const Case& c : cases) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%0*lld", c.minDigits < 20 ? c.minDigits : 20,
                      static_cast<long long>(c.value));
        char text[DecimalTextSize];
        char* end = WriteDecimal(text, c.value, c.minDigits);
        EXPECT_STREQ(text, expected) << c.value << " at " << c.minDigits;
        EXPECT_EQ(*end, '\0');
        EXPECT_EQ(end - text, static_cast<long>(std::strlen(expected)));
    }
}

} // namespace
