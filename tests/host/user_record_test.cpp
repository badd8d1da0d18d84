#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "keys/key_codes.h"
#include "store/user_record.h"

namespace {

std::string Record(int value)
{
    char record[16];
    std::snprintf(record, sizeof record, "%08d", value);
    return std::string(record, 8) + '\0';
}

// A whole file whose field n (1-based) holds n * 10.
std::string NumberedFile()
{
    std::string file;
    for (int field = 1; field <= StoredValueCount; ++field)
        file += Record(field * 10);
    return file;
}

StoredValues Decode(const std::string& file)
{
    return DecodeRecords(reinterpret_cast<const unsigned char*>(file.data()), file.size());
}

int Field(const StoredValues& values, int field) { return values[field - 1]; }

TEST(UserRecord, AllZeroUserIs738BytesOfEightZerosAndANul)
{
    RecordImage image;
    FormatRecordTexts(StoredValues{}, image);
    std::string expected;
    for (int i = 0; i < 82; ++i)
        expected += std::string("00000000") + '\0';
    EXPECT_EQ(std::string(image.begin(), image.end()), expected);
    EXPECT_EQ(image.size(), 738u);
}

TEST(UserRecord, FieldsAreBoundToTheirKeysInFileOrder)
{
    CounterTable table;
    auto fields = StoredFields(table);
    struct Case {
        int field;
        const CountedValue* value;
        const char* what;
    } cases[] = {
        {1, &table.LowercaseGroup.keys[0].count, "a"},
        {5, &table.LowercaseGroup.keys[4].count, "e"},
        {26, &table.LowercaseGroup.keys[25].count, "z"},
        {27, &table.UppercaseGroup.keys[0].count, "A"},
        {52, &table.UppercaseGroup.keys[25].count, "Z"},
        {53, &table.ClockSeconds, "seconds"},
        {54, &table.ClockMinutes, "minutes"},
        {55, &table.ClockHours, "hours"},
        {56, &table.TotalStrokes, "total"},
        {57, &table.StrokesPerHour, "rate"},
        {58, &table.DigitSymbolGroup.FindKey('0')->count, "0"},
        {67, &table.DigitSymbolGroup.FindKey('9')->count, "9"},
        {68, &table.DigitSymbolGroup.FindKey(KeyRight)->count, "right before left"},
        {69, &table.DigitSymbolGroup.FindKey(KeyLeft)->count, "left"},
        {70, &table.DigitSymbolGroup.FindKey(KeyUp)->count, "up"},
        {71, &table.DigitSymbolGroup.FindKey(KeyDown)->count, "down"},
        {72, &table.DigitSymbolGroup.FindKey(KeyOem1)->count, "colon key, page slot 15"},
        {73, &table.DigitSymbolGroup.FindKey(KeyOemPlus)->count, "semicolon key, page slot 14"},
        {74, &table.DigitSymbolGroup.FindKey(KeyOem3)->count, "@"},
        {75, &table.DigitSymbolGroup.FindKey(KeyOem5)->count, "backslash"},
        {76, &table.DigitSymbolGroup.FindKey(KeyOemMinus)->count, "-"},
        {77, &table.DigitSymbolGroup.FindKey(KeyOemPeriod)->count, "full stop"},
        {78, &table.DigitSymbolGroup.FindKey(KeyOemComma)->count, "comma"},
        {79, &table.DigitSymbolGroup.FindKey(KeyOem2)->count, "/"},
        {80, &table.DigitSymbolGroup.FindKey(KeyOem4)->count, "["},
        {81, &table.DigitSymbolGroup.FindKey(KeyOem6)->count, "]"},
        {82, &table.DigitSymbolGroup.FindKey(KeyOem7)->count, "^"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fields[c.field - 1], c.value) << "field " << c.field << " (" << c.what << ")";
}

TEST(UserRecord, ValuesLandAtTheirOffsetsAndReadBack)
{
    CounterTable table;
    table.LowercaseGroup.keys[4].count.value = 1234;   // e
    table.ClockSeconds.value = 7;
    table.TotalStrokes.value = 99;
    table.StrokesPerHour.value = 33;
    table.DigitSymbolGroup.FindKey(KeyOem7)->count.value = 5;
    RecordImage image;
    FormatRecordTexts(CollectStoredValues(table), image);
    std::string file(image.begin(), image.end());

    EXPECT_EQ(file.substr(36, 9), Record(1234)) << "e: bytes 36 to 44";
    EXPECT_EQ(file.substr(468, 9), Record(7)) << "seconds: field 53";
    EXPECT_EQ(file.substr(495, 9), Record(99)) << "total: field 56";
    EXPECT_EQ(file.substr(504, 9), Record(33)) << "rate: field 57";
    EXPECT_EQ(file.substr(729, 9), Record(5)) << "^: field 82, the last";

    CounterTable loaded;
    ApplyStoredValues(loaded, Decode(file));
    loaded.RefreshCountTexts();
    char text[CountTextSize];
    loaded.CopyText(loaded.LowercaseGroup.keys[4].count, text);
    EXPECT_STREQ(text, "1234");
    loaded.CopyText(loaded.ClockSeconds, text);
    EXPECT_STREQ(text, "07");
}

TEST(UserRecord, ValuesBeyondEightDigitsAreCappedSoNoFieldMoves)
{
    StoredValues values{};
    values[0] = 100'000'000;
    values[1] = std::numeric_limits<int32_t>::max();
    values[2] = -5;
    values[3] = 42;
    RecordImage image;
    FormatRecordTexts(values, image);
    std::string file(image.begin(), image.end());
    EXPECT_EQ(file.substr(0, 9), Record(99'999'999));
    EXPECT_EQ(file.substr(9, 9), Record(99'999'999));
    EXPECT_EQ(file.substr(18, 9), Record(0));
    EXPECT_EQ(file.substr(27, 9), Record(42)) << "the next field is still in place";
}

TEST(UserRecord, OddFilesDecodeSafely)
{
    const std::string whole = NumberedFile();
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::pair<int, int>> expected;   // field, value
    } cases[] = {
        {"empty file: every field 0", "", {{1, 0}, {56, 0}, {82, 0}}},
        {"short file: fields it does not hold are 0", whole.substr(0, 9 * 10), {{10, 100}, {11, 0}, {82, 0}}},
        {"cut inside a record: that record is 0", whole.substr(0, 9 * 10 + 5), {{10, 100}, {11, 0}}},
        {"without the last NUL all 82 fields are held", whole.substr(0, 737), {{82, 820}}},
        {"trailing bytes are never read", whole + std::string(65535 - 738, 'x'), {{1, 10}, {82, 820}}},
        {"non-digits give 0", "abcdefgh" + whole.substr(8), {{1, 0}, {2, 20}}},
        {"digits then other characters give the digits", std::string("0012ab34") + whole.substr(8), {{1, 12}}},
        {"leading blanks and a plus sign as atoi reads them", std::string("  +00077") + whole.substr(8), {{1, 77}}},
        {"a negative count loads as 0", std::string("-0000042") + whole.substr(8), {{1, 0}}},
        {"the byte after a record need not be a NUL", std::string("00000042") + "X" + whole.substr(9), {{1, 42}, {2, 20}}},
        {"a NUL inside the eight characters ends the number", std::string("0042\0\0\0\0", 8) + whole.substr(8), {{1, 42}}},
    };
    for (const Case& c : cases) {
        StoredValues values = Decode(c.file);
        for (auto [field, value] : c.expected)
            EXPECT_EQ(Field(values, field), value) << c.name << ", field " << field;
    }
}

TEST(UserRecord, LoadedClockValuesAreBroughtIntoRange)
{
    struct Case {
        int seconds, minutes, hours;
        int expectSeconds, expectMinutes, expectHours;
    } cases[] = {
        {59, 59, 3, 59, 59, 3},     // in range: untouched
        {0, 60, 3, 0, 60, 3},       // 60 minutes is what the hourly save writes: kept
        {75, 10, 0, 15, 11, 0},     // seconds carry into minutes
        {0, 61, 1, 0, 1, 2},        // minutes above 60 carry into hours
        {3600, 59, 0, 0, 59, 1},    // 60 minutes of seconds make 119 minutes: 1:59
        {99'999'999, 99'999'999, 99'999'999, 39, 25, 101'694'443},
    };
    for (const Case& c : cases) {
        StoredValues values{};
        values[FieldClockSeconds - 1] = c.seconds;
        values[FieldClockMinutes - 1] = c.minutes;
        values[FieldClockHours - 1] = c.hours;
        NormaliseLoadedValues(values);
        EXPECT_EQ(values[FieldClockSeconds - 1], c.expectSeconds) << c.seconds << "/" << c.minutes;
        EXPECT_EQ(values[FieldClockMinutes - 1], c.expectMinutes) << c.seconds << "/" << c.minutes;
        EXPECT_EQ(values[FieldClockHours - 1], c.expectHours) << c.seconds << "/" << c.minutes;
    }
}

TEST(UserRecord, OnlyAWholeWrittenFileCountsAsComplete)
{
    std::string whole = NumberedFile();
    auto complete = [](const std::string& file) {
        return IsCompleteRecordImage(reinterpret_cast<const unsigned char*>(file.data()), file.size());
    };
    EXPECT_TRUE(complete(whole));
    EXPECT_FALSE(complete(whole.substr(0, 737)));
    EXPECT_FALSE(complete(whole + "0"));
    std::string torn = whole;
    torn[500] = '\0';
    EXPECT_FALSE(complete(torn)) << "a file whose end was never written";
    std::string noNul = whole;
    noNul[8] = '0';
    EXPECT_FALSE(complete(noNul));
}

} // namespace
