#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "export/export_table.h"
#include "history/history_book.h"
#include "store/user_record.h"

namespace {

constexpr int KeyA = 0;
constexpr int KeyB = 1;
constexpr int KeyDigit0 = 52;
constexpr int KeyCaret = 76;

LocalDate Date(const char* text) { return *ParseLocalDate(text); }

HistoryCounts Counts(int64_t seconds, std::initializer_list<std::pair<int, int64_t>> keys = {})
{
    HistoryCounts counts;
    counts.seconds = seconds;
    for (auto [key, value] : keys)
        counts.keys[key] = value;
    return counts;
}

// A snapshot or a day with only lowercase a struck.
HistoryCounts As(int64_t seconds, int64_t a) { return Counts(seconds, {{KeyA, a}}); }

std::string Header() { return std::string(HistoryHeader) + "\r\n"; }

std::string Line(const LocalDate& date, const HistoryCounts& counts)
{
    std::string line;
    AppendHistoryLine(line, date, counts);
    return line;
}
std::string Line(const char* date, const HistoryCounts& counts) { return Line(Date(date), counts); }

std::string Repeat(const char* text, int times)
{
    std::string out;
    while (times-- > 0)
        out += text;
    return out;
}

// Every field of every line in quotes, as a spreadsheet may save them.
std::string Quoted(const std::string& text)
{
    std::string out;
    bool inField = false;
    for (char c : text) {
        if (inField == (c == ',' || c == '\r' || c == '\n')) {
            out += '"';
            inField = !inField;
        }
        out += c;
    }
    return inField ? out + '"' : out;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

HistoryBook Loaded(const std::string& text, const char* today)
{
    HistoryBook book;
    EXPECT_EQ(book.Load(text, Date(today)), HistoryLoad::Loaded);
    return book;
}

// The header is in every history that users keep: its bytes never change,
// but for the columns of every key, which come after the first 80.
TEST(HistoryFile, HeaderNamesTheKeysInTheDataFilesOrder)
{
    EXPECT_EQ(HistoryHeader,
              "date,seconds,total,"
              "a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r,s,t,u,v,w,x,y,z,"
              "A,B,C,D,E,F,G,H,I,J,K,L,M,N,O,P,Q,R,S,T,U,V,W,X,Y,Z,"
              "0,1,2,3,4,5,6,7,8,9,right,left,up,down,"
              "colon,semicolon,at,yen,minus,period,comma,slash,bracketleft,bracketright,caret,"
              "allkeys,space,enter,backspace,tab,escape,shift,rightshift,ctrl,rightctrl,alt,rightalt,win,"
              "rightwin,menu,henkan,muhenkan,kana,hankaku,eisu,backslash,"
              "f1,f2,f3,f4,f5,f6,f7,f8,f9,f10,f11,f12,insert,delete,home,end,pageup,pagedown,"
              "printscreen,scrolllock,pause,numlock,num0,num1,num2,num3,num4,num5,num6,num7,num8,num9,"
              "numslash,nummultiply,numminus,numplus,numperiod,"
              "shift0,shift1,shift2,shift3,shift4,shift5,shift6,shift7,shift8,shift9,"
              "shiftright,shiftleft,shiftup,shiftdown,shiftcolon,shiftsemicolon,shiftat,shiftyen,shiftminus,"
              "shiftperiod,shiftcomma,shiftslash,shiftbracketleft,shiftbracketright,shiftcaret,"
              "activeminutes,bestminute,h00,h01,h02,h03,h04,h05,h06,h07,h08,h09,h10,h11,h12,h13,h14,h15,h16,"
              "h17,h18,h19,h20,h21,h22,h23");

    StoredValues values{};
    for (int field = 1; field <= StoredValueCount; ++field)
        values[field - 1] = field * 10;
    values[FieldClockHours - 1] = 2;
    values[FieldClockMinutes - 1] = 60;   // as the save at a full hour leaves it
    values[FieldClockSeconds - 1] = 5;
    HistoryCounts snapshot = SnapshotOf(values);
    struct Case {
        int key;
        std::string_view name;
        int field;
    } cases[] = {
        {0, "a", 1}, {25, "z", 26}, {26, "A", 27}, {51, "Z", 52}, {52, "0", 58}, {61, "9", 67},
        {62, "right", 68}, {65, "down", 71}, {66, "colon", 72}, {67, "semicolon", 73}, {69, "yen", 75},
        {76, "caret", 82},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeyTable[c.key].column, c.name);
        EXPECT_EQ(snapshot.keys[c.key], c.field * 10) << c.name;
    }
    EXPECT_EQ(snapshot.seconds, 2 * 3600 + 60 * 60 + 5);
}

TEST(HistoryFile, DayLineIsPlainDecimalWithTheKeysSum)
{
    HistoryCounts day = Counts(3725, {{KeyA, 2}, {KeyDigit0, 1}, {KeyCaret, 5}});
    const std::string noTime = Repeat(",0", HistoryTimeFieldCount);
    EXPECT_EQ(Line("2026-03-01", day),
              "2026-03-01,3725,8,2," + Repeat("0,", 51) + "1," + Repeat("0,", 23) + "5,8," + Repeat("0,", 81) +
                  "0" + noTime + "\r\n");
    // total is the data file's keys', allkeys every key's; then the minutes
    // and the hours.
    day.keys[KeyIndexOf("space")] = 4;
    day.keys[KeyIndexOf("shiftcaret")] = 1;
    day.activeMinutes = 2;
    day.bestMinute = 9;
    day.hours[9] = 10;
    day.hours[23] = 3;
    EXPECT_EQ(Line("2026-03-01", day), "2026-03-01,3725,8,2," + Repeat("0,", 51) + "1," + Repeat("0,", 23) +
                                           "5,13,4," + Repeat("0,", 80) + "1,2,9," + Repeat("0,", 9) + "10," +
                                           Repeat("0,", 13) + "3\r\n");
}

// A line of the 80 columns written before every key was counted, or of the
// 160 before the minutes and hours were kept, reads as the same day, what it
// lacks 0; it is not Kivora's form any more.
TEST(HistoryFile, LinesOfEveryWidthAreRead)
{
    HistoryCounts day = Counts(60, {{KeyA, 2}, {KeyCaret, 5}});
    const std::string wide = Line("2026-03-01", day);
    const std::string narrow = "2026-03-01,60,7,2," + Repeat("0,", 75) + "5";
    const std::string everyKey = wide.substr(0, wide.size() - 2 - 2 * HistoryTimeFieldCount);
    day.keys[KeyIndexOf("enter")] = 3;
    day.hours[0] = 10;
    const std::string withEnter = Line("2026-03-01", day);
    struct Case {
        std::string line;
        bool read;
        bool ownForm;
        int64_t enter;
        const char* what;
    } cases[] = {
        {wide.substr(0, wide.size() - 2), true, true, 0, "every column"},
        {narrow, true, false, 0, "the 80 columns of before"},
        {everyKey, true, false, 0, "the 160 columns of before"},
        {withEnter.substr(0, withEnter.size() - 2), true, true, 3, "another key counted"},
        {narrow + ",7", false, false, 0, "81 columns: neither"},
        {wide.substr(0, wide.size() - 4), false, false, 0, "one column short"},
    };
    for (const Case& c : cases) {
        bool ownForm = false;
        std::optional<HistoryDay> read = ParseHistoryLine(c.line, ownForm);
        ASSERT_EQ(read.has_value(), c.read) << c.what;
        if (!read)
            continue;
        EXPECT_EQ(ownForm, c.ownForm) << c.what;
        EXPECT_EQ(read->counts.keys[KeyIndexOf("enter")], c.enter) << c.what;
        EXPECT_EQ(read->counts.keys[KeyCaret], 5) << c.what;
    }
}

TEST(HistoryFile, LinesThatCannotBeReadAreRefused)
{
    const std::string good = Line("2026-03-01", Counts(9, {{KeyA, 4}, {KeyCaret, 5}}));
    const std::string line = good.substr(0, good.size() - 2);   // without CRLF
    const std::string keys = line.substr(line.find(",9,9,") + 5);   // the 77 counts
    struct Case {
        const char* name;
        std::string text;
        bool readable;
    } cases[] = {
        {"as written", line, true},
        {"a total that is not the keys' sum is read", "2026-03-01,9,1000," + keys, true},
        {"eighteen digits", "2026-03-01,999999999999999999,9," + keys, true},
        {"nineteen digits", "2026-03-01,1000000000000000000,9," + keys, false},
        {"past int64", "2026-03-01,99999999999999999999,9," + keys, false},
        {"a day that does not exist", "2026-02-30,9,9," + keys, false},
        {"one field short", line.substr(0, line.rfind(',')), false},
        {"one field more", line + ",0", false},
        {"an empty field", "2026-03-01,,9," + keys, false},
        {"a sign", "2026-03-01,+9,9," + keys, false},
        {"a blank", "2026-03-01, 9,9," + keys, false},
        {"a CR inside", line + "\r", false},
        {"empty", "", false},
        // As a spreadsheet may save it back.
        {"every field quoted", Quoted(line), true},
        {"a date with slashes", "2026/3/1,9,9," + keys, true},
        {"slashes, two digits", "2026/03/01,9,9," + keys, true},
        {"text after a closing quote", "\"2026-03-01\"x,9,9," + keys, false},
        {"a doubled quote inside", "2026-03-01,\"9\"\"\",9," + keys, false},
        {"a quoted comma", "2026-03-01,\"9,9\"," + keys, false},
        {"slashes and a day that does not exist", "2026/2/30,9,9," + keys, false},
        {"dashes and one digit", "2026-3-1,9,9," + keys, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseHistoryLine(c.text).has_value(), c.readable) << c.name;
    EXPECT_EQ(ParseHistoryLine(line)->counts, Counts(9, {{KeyA, 4}, {KeyCaret, 5}}));
}

TEST(HistoryBook, RefusesTextsThatAreNotAHistoryAndLeavesTheBookAlone)
{
    const std::string day = Line("2026-03-01", As(1, 1));
    const std::string pad(LargestHistoryFile - Header().size(), 'x');
    struct Case {
        const char* name;
        std::string text;
        HistoryLoad expected;
    } cases[] = {
        {"no header", day, HistoryLoad::NotHistory},
        {"a blank before the header", " " + Header() + day, HistoryLoad::NotHistory},
        {"a byte-order mark", "\xEF\xBB\xBF" + Header(), HistoryLoad::Loaded},   // a spreadsheet's: read
        {"a quoted header with another name", "\"day\"" + Header().substr(4), HistoryLoad::NotHistory},
        {"a header cut short", Header().substr(0, 30), HistoryLoad::NotHistory},
        {"a header with LF", std::string(HistoryHeader) + "\n" + day, HistoryLoad::Loaded},
        {"a header without a line end", std::string(HistoryHeader), HistoryLoad::Loaded},
        {"exactly 16 MiB", Header() + pad, HistoryLoad::Loaded},
        {"one byte more", Header() + pad + "x", HistoryLoad::TooLarge},
    };
    for (const Case& c : cases) {
        HistoryBook book = Loaded(Header() + Line("2026-03-09", As(7, 7)), "2026-03-10");
        const std::string before = book.Render({});
        EXPECT_EQ(book.Load(c.text, Date("2026-03-10")), c.expected) << c.name;
        if (c.expected != HistoryLoad::Loaded) {
            EXPECT_EQ(book.Render({}), before) << c.name;
        }
    }
    EXPECT_EQ(Loaded("", "2026-03-10").Render({}), Header()) << "no file: a fresh history";
}

TEST(HistoryBook, AGoodFileRendersBackByteForByte)
{
    const std::string file = Header() + Line("2026-02-27", As(60, 5)) + Line("2026-03-01", Counts(0)) +
                             Line("2026-03-03", Counts(3600, {{KeyB, 900}, {KeyCaret, 1}}));
    for (const char* today : {"2026-02-01", "2026-02-28", "2026-03-01", "2026-03-03", "2027-01-01"}) {
        HistoryBook book = Loaded(file, today);
        EXPECT_EQ(book.Render(As(500, 500)), file) << today << ", before counting begins";
        book.Begin(As(500, 500));
        EXPECT_EQ(book.Render(As(500, 500)), file) << today << ", nothing counted yet";
    }
}

TEST(HistoryBook, UnreadableLinesStayByteForByteWhereTheyAre)
{
    const std::string day1 = Line("2026-03-01", As(10, 1));
    const std::string before = Header() + "garbage\r\n" + day1 +
                               Line("2026-03-01", As(20, 2)) +              // the date again
                               "2026-02-30" + day1.substr(10) +             // no such day
                               "\r\n" +                                     // empty
                               "2026-03-02,5,1000" + day1.substr(15) +      // wrong total: read
                               "2026-03-03,x" + day1.substr(12);            // not a number
    const std::string after = "2026-03-05,1" + day1.substr(13, day1.size() - 15) + "\n" +   // LF only
                              "tail without a line end";
    const std::string file = before + after;
    // As Kivora writes the same lines: the total made right, CRLF after every line.
    const std::string ownBefore = Header() + "garbage\r\n" + day1 + Line("2026-03-01", As(20, 2)) + "2026-02-30" +
                                  day1.substr(10) + "\r\n" + Line("2026-03-02", As(5, 1)) + "2026-03-03,x" +
                                  day1.substr(12);
    const std::string ownAfter = Line("2026-03-05", As(1, 1)) + "tail without a line end\r\n";

    HistoryBook book = Loaded(file, "2026-03-04");
    EXPECT_EQ(book.UnreadableLines(), 6);
    book.Begin(As(100, 100));
    EXPECT_EQ(book.Render(As(130, 103)), ownBefore + Line("2026-03-04", As(30, 3)) + ownAfter);
    EXPECT_EQ(book.Periods(As(130, 103)).last7, As(10 + 5 + 30, 1 + 1 + 3)) << "only readable days count";

    book.Load(file, Date("2026-03-09"));
    book.Begin(As(100, 100));
    EXPECT_EQ(book.Render(As(101, 100)), ownBefore + ownAfter + Line("2026-03-09", As(1, 0)))
        << "a line end is added after a last line without one";

    book.Load(file, Date("2026-03-02"));
    EXPECT_EQ(book.Render({}), ownBefore + ownAfter) << "the running day's line is written again";
}

TEST(HistoryBook, RunningDaysLineGoesInDateOrder)
{
    const std::string d1 = Line("2026-03-01", As(1, 1));
    const std::string d5 = Line("2026-03-05", As(5, 5));
    const std::string d9 = Line("2026-03-09", As(9, 9));
    const std::string file = Header() + d1 + d5 + d9;
    struct Case {
        const char* today;
        std::string expected;   // after 2 seconds and 2 strokes
    } cases[] = {
        {"2026-02-20", Header() + Line("2026-02-20", As(2, 2)) + d1 + d5 + d9},   // before every day
        {"2026-03-03", Header() + d1 + Line("2026-03-03", As(2, 2)) + d5 + d9},   // between two
        {"2026-03-05", Header() + d1 + Line("2026-03-05", As(7, 7)) + d9},        // its own line goes on
        {"2026-03-20", Header() + d1 + d5 + d9 + Line("2026-03-20", As(2, 2))},   // after every day
    };
    for (const Case& c : cases) {
        HistoryBook book = Loaded(file, c.today);
        book.Begin(As(1000, 1000));
        EXPECT_EQ(book.Render(As(1002, 1002)), c.expected) << c.today;
    }
}

TEST(HistoryBook, ADayWithoutRunningTimeHasNoLine)
{
    HistoryBook fresh = Loaded("", "2026-03-10");
    fresh.Begin(As(100, 5));
    EXPECT_EQ(fresh.Render(As(100, 5)), Header());
    EXPECT_EQ(fresh.Render(As(101, 5)), Header() + Line("2026-03-10", As(1, 0)));
    EXPECT_EQ(fresh.Render(Counts(100, {{KeyB, 1}})), Header() + Line("2026-03-10", Counts(0, {{KeyB, 1}})));

    const std::string zeroDay = Header() + Line("2026-03-10", Counts(0));
    EXPECT_EQ(Loaded(zeroDay, "2026-03-10").Render({}), zeroDay) << "a line the file had stays";
}

TEST(HistoryBook, CountsLandOnTheirDaysAcrossMidnight)
{
    struct Case {
        const char* name;
        const char* first;
        const char* second;
        std::string kept;       // a line the file had for the second day
        std::string expected;   // 60 s and 10 strokes before midnight, 30 s and 3 after
    } cases[] = {
        {"within a month", "2026-03-10", "2026-03-11", "",
         Line("2026-03-10", As(60, 10)) + Line("2026-03-11", As(30, 3))},
        {"month end", "2026-01-31", "2026-02-01", "", Line("2026-01-31", As(60, 10)) + Line("2026-02-01", As(30, 3))},
        {"year end", "2025-12-31", "2026-01-01", "", Line("2025-12-31", As(60, 10)) + Line("2026-01-01", As(30, 3))},
        {"leap day", "2024-02-28", "2024-02-29", "", Line("2024-02-28", As(60, 10)) + Line("2024-02-29", As(30, 3))},
        {"a day asleep", "2026-03-10", "2026-03-12", "",
         Line("2026-03-10", As(60, 10)) + Line("2026-03-12", As(30, 3))},
        {"clock set back onto a day with a line", "2026-03-11", "2026-03-10", Line("2026-03-10", As(5, 1)),
         Line("2026-03-10", As(35, 4)) + Line("2026-03-11", As(60, 10))},
    };
    for (const Case& c : cases) {
        HistoryBook book = Loaded(Header() + c.kept, c.first);
        book.Begin(As(1000, 500));
        EXPECT_FALSE(book.Advance(Date(c.first), As(1020, 505))) << c.name;
        EXPECT_TRUE(book.Advance(Date(c.second), As(1060, 510))) << c.name;
        EXPECT_EQ(book.Today(), Date(c.second));
        EXPECT_EQ(book.Render(As(1090, 513)), Header() + c.expected) << c.name;
        if (Date(c.second) > Date(c.first)) {
            EXPECT_EQ(book.Periods(As(1090, 513)).last7, As(90, 13)) << c.name << ": the closed day is in the week";
        }
    }
}

TEST(HistoryBook, ResetKeepsWhatTheDayCountedAndNewUserDropsIt)
{
    const std::string yesterday = Line("2026-03-09", As(7, 7));
    const std::string file = Header() + yesterday + Line("2026-03-10", As(50, 7));

    HistoryBook book = Loaded(file, "2026-03-10");
    book.Begin(As(1000, 500));
    book.Rebase(As(1100, 520), Counts(0));   // reset: the table is zeroed
    EXPECT_EQ(book.Render(As(30, 4)), Header() + yesterday + Line("2026-03-10", As(50 + 100 + 30, 7 + 20 + 4)));

    book.Begin(As(40, 6));   // counting again after the log-off dialog: nothing is lost
    EXPECT_EQ(book.TodayCounts(As(45, 6)), As(50 + 100 + 45, 7 + 20 + 6));

    book.DropToday(Counts(0));   // the new user's first letter zeroes the counts
    EXPECT_EQ(book.Render(As(10, 3)), Header() + yesterday + Line("2026-03-10", As(10, 3)));

    // A count below its start point (another user's counts loaded) adds nothing.
    HistoryBook fallen = Loaded("", "2026-03-10");
    fallen.Begin(As(100, 50));
    EXPECT_EQ(fallen.TodayCounts(Counts(90, {{KeyA, 40}, {KeyB, 5}})), Counts(0, {{KeyB, 5}}));
}

TEST(HistoryBook, PeriodWindowsEndExactlyAtTheirEdges)
{
    for (const char* today : {"2026-03-10", "2026-01-03"}) {
        const LocalDate t = Date(today);
        // One bit per line, so each sum tells which lines it took.
        const std::string file = Header() + Line(AddDays(t, -30), As(1, 1)) +   // in no window
                                 Line(AddDays(t, -29), As(2, 2)) +              // last 30 days
                                 Line(AddDays(t, -7), As(4, 4)) +               // last 30 days
                                 Line(AddDays(t, -6), As(8, 8)) +               // last 7 days
                                 Line(AddDays(t, -6), As(16, 16)) +             // the date again: unreadable
                                 Line(t, As(32, 32)) +                          // today
                                 Line(AddDays(t, 1), As(64, 64));               // after today: in none
        HistoryBook book = Loaded(file, today);
        book.Begin(As(1000, 1000));
        HistoryPeriods periods = book.Periods(As(1128, 1128));
        EXPECT_EQ(periods.today, As(160, 160)) << today;
        EXPECT_EQ(periods.last7, As(168, 168)) << today;
        EXPECT_EQ(periods.last30, As(174, 174)) << today;

        auto fromText = HistoryPeriodsOfText(file, t);
        ASSERT_TRUE(fromText.has_value());
        EXPECT_EQ(fromText->today, As(32, 32)) << today;
        EXPECT_EQ(fromText->last7, As(40, 40)) << today;
        EXPECT_EQ(fromText->last30, As(46, 46)) << today;
    }
    EXPECT_FALSE(HistoryPeriodsOfText("date\r\n", Date("2026-03-10")).has_value());
}

TEST(HistoryBook, ExportTableHasOneLinePerKeyThenAllAndSeconds)
{
    StoredValues values{};
    values[0] = 11;                           // a
    values[57] = 22;                          // field 58: digit 0
    values[81] = 33;                          // field 82: caret
    values[FieldTotalStrokes - 1] = 66;
    values[FieldClockHours - 1] = 1;
    values[FieldClockMinutes - 1] = 2;
    values[FieldClockSeconds - 1] = 3;
    HistoryPeriods periods{Counts(5, {{KeyA, 1}, {KeyCaret, 4}}), Counts(50, {{KeyA, 2}, {KeyCaret, 4}}),
                           Counts(500, {{KeyA, 3}, {KeyCaret, 40}})};
    // The minutes of today, of the 7 and 30 days (the best minute of days
    // together is their best day's), and of every day of the history.
    const int64_t minutes[][2] = {{3, 40}, {9, 55}, {20, 55}};
    HistoryCounts* windows[] = {&periods.today, &periods.last7, &periods.last30};
    for (int i = 0; i < 3; ++i) {
        windows[i]->activeMinutes = minutes[i][0];
        windows[i]->bestMinute = minutes[i][1];
    }
    HistoryCounts allDays;
    allDays.activeMinutes = 4321;
    allDays.bestMinute = 187;

    std::string table = FormatHistoryExport(values, SnapshotOf(values), periods, allDays);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < table.size();) {
        std::size_t end = table.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << "every line ends in CRLF";
        lines.push_back(table.substr(at, end - at));
        at = end + 2;
    }
    ASSERT_EQ(lines.size(), 1u + 77 + 2 + 1 + (HistoryKeyCount - 77) + 2);
    EXPECT_EQ(lines[0], "key,total,today,last7,last30");
    EXPECT_EQ(lines[1], "a,11,1,2,3");
    EXPECT_EQ(lines[27], "A,0,0,0,0");
    EXPECT_EQ(lines[53], "0,22,0,0,0");
    EXPECT_EQ(lines[77], "caret,33,4,4,40");
    EXPECT_EQ(lines[78], "all,66,5,6,43");
    EXPECT_EQ(lines[79], "seconds,3723,5,50,500");
    EXPECT_EQ(lines[80], "allkeys,66,5,6,43") << "every key's strokes, after the lines there always were";
    EXPECT_EQ(lines[81], "space,0,0,0,0");
    EXPECT_EQ(lines[lines.size() - 3], "shiftcaret,0,0,0,0");
    // Last, after every line there was: total from every day of the history.
    EXPECT_EQ(lines[lines.size() - 2], "activeminutes,4321,3,9,20");
    EXPECT_EQ(lines.back(), "bestminute,187,40,55,55");
    EXPECT_EQ(table.find('\n'), table.find("\r\n") + 1) << "no bare LF";
}

TEST(HistoryBook, ASpreadsheetsSaveReadsAsTheSameDaysAndIsWrittenBackInKivorasForm)
{
    const std::string own = Header() + Line("2026-02-27", As(60, 5)) + Line("2026-03-01", Counts(0)) +
                            Line("2026-03-03", Counts(3600, {{KeyB, 900}, {KeyCaret, 1}}));
    const std::string lf = Replaced(own, "\r\n", "\n");
    const std::string slashes = Replaced(Replaced(own, "2026-02-27", "2026/2/27"), "2026-03-0", "2026/3/");
    const std::string mark = "\xEF\xBB\xBF";
    struct Case {
        const char* name;
        std::string text;
        std::string expected;
    } cases[] = {
        {"as Kivora writes it", own, own},
        {"a byte-order mark", mark + own, own},
        {"LF line ends", lf, own},
        {"no line end at the end", own.substr(0, own.size() - 2), own},
        {"every field quoted, the header's too", Quoted(own), own},
        {"dates with slashes", slashes, own},
        {"a leading zero and a wrong total", Replaced(own, "2026-02-27,60,5,", "2026-02-27,060,9,"), own},
        {"all of these", mark + Replaced(Quoted(slashes), "\r\n", "\n"), own},
        {"an unreadable line keeps its content", lf + "a note\n", own + "a note\r\n"},
    };
    const HistoryBook reference = Loaded(own, "2026-03-02");
    for (const Case& c : cases) {
        HistoryBook book = Loaded(c.text, "2026-03-02");
        EXPECT_EQ(book.Render({}), c.expected) << c.name;
        EXPECT_EQ(book.Days({}), reference.Days({})) << c.name;
        EXPECT_EQ(HistoryPeriodsOfText(c.text, Date("2026-03-02"))->last7, reference.Periods({}).last7) << c.name;
    }
}

TEST(HistoryBook, AFileAtTheCapThatGrowsInKivorasFormDoesNotFit)
{
    const std::string line(1023, 'x');
    std::string file = Header();
    while (file.size() + line.size() + 1 <= LargestHistoryFile)
        file += line + "\n";
    HistoryBook book = Loaded(file, "2026-03-10");
    EXPECT_FALSE(FitsHistoryFile(book.RenderParts({}))) << "CRLF after each of its lines";
    EXPECT_EQ(book.Load(book.Render({}), Date("2026-03-10")), HistoryLoad::TooLarge);
    EXPECT_TRUE(FitsHistoryFile({std::string_view(file).substr(0, LargestHistoryFile - 1), "x", {}}));
}

TEST(PendingHistory, WritesFloorsAndAddsAndReadsBackWhatItCan)
{
    PendingDays days;
    AddPendingDay(days, {Date("2026-03-03"), As(9, 9), As(1, 1)});
    AddPendingDay(days, {Date("2026-03-01"), {}, As(3, 1)});
    AddPendingDay(days, {Date("2026-03-02"), {}, {}});   // nothing in it: left out
    const std::string header = std::string(PendingHeader) + "\r\n";
    const std::string text = FormatPending(days);
    EXPECT_EQ(text, header + "add," + Line("2026-03-01", As(3, 1)) + "floor," + Line("2026-03-03", As(9, 9)) +
                        "add," + Line("2026-03-03", As(1, 1)));
    const PendingDays kept = {{Date("1999-01-01"), As(1, 0), {}}};
    struct Case {
        const char* name;
        std::string text;
        PendingLoad expected;
        PendingDays days;   // what the container holds afterwards
    } cases[] = {
        {"as written", text, PendingLoad::Loaded, days},
        {"empty: no days", "", PendingLoad::Loaded, {}},
        {"LF; an unreadable line skipped; a date's floors the larger, its adds summed",
         Replaced(header + "garbage\r\nfloor," + Line("2026-03-01", As(2, 5)) + "floor," + Line("2026-03-01", As(5, 1)) +
                      "add," + Line("2026-03-01", As(1, 1)) + "add," + Line("2026-03-01", As(2, 2)),
                  "\r\n", "\n"),
         PendingLoad::Loaded, {{Date("2026-03-01"), As(5, 5), As(3, 3)}}},
        {"another header", "kivora pending history 2\r\n" + text.substr(header.size()), PendingLoad::NotPending, kept},
        {"larger than the cap", header + std::string(LargestPendingFile, 'x'), PendingLoad::TooLarge, kept},
    };
    for (const Case& c : cases) {
        PendingDays read = kept;
        EXPECT_EQ(ParsePending(c.text, read), c.expected) << c.name;
        EXPECT_EQ(read, c.days) << c.name;
    }
    CombinePending(days, {{Date("2026-03-03"), As(5, 10), As(2, 2)}, {Date("2026-03-02"), As(1, 1), {}}});
    EXPECT_EQ(days, (PendingDays{{Date("2026-03-01"), {}, As(3, 1)},
                                 {Date("2026-03-02"), As(1, 1), {}},
                                 {Date("2026-03-03"), As(9, 10), As(3, 3)}}));
}

TEST(HistoryBook, FoldingTakesTheLargerCountsThenAddsAndPlacesNewDaysInDateOrder)
{
    const std::string d1 = Line("2026-03-01", As(10, 10));
    const std::string d5 = Line("2026-03-05", As(50, 50));
    const std::string note = "2026-03-03,not,a,day\r\n";
    const std::string file = Header() + d1 + note + d5;
    struct Case {
        const char* name;
        PendingDay day;
        std::string expected;   // folded on 2026-03-10
    } cases[] = {
        {"the larger, field by field", {Date("2026-03-01"), As(5, 20), {}}, Header() + Line("2026-03-01", As(10, 20)) + note + d5},
        {"the larger, then the add", {Date("2026-03-01"), As(12, 8), As(1, 1)},
         Header() + Line("2026-03-01", As(13, 11)) + note + d5},
        {"a new day before the first later day; the unreadable line stays", {Date("2026-03-03"), As(3, 3), {}},
         Header() + d1 + note + Line("2026-03-03", As(3, 3)) + d5},
        {"before every day", {Date("2026-02-01"), {}, As(2, 2)}, Header() + Line("2026-02-01", As(2, 2)) + d1 + note + d5},
        {"the running day, after every day", {Date("2026-03-10"), As(4, 4), As(1, 1)}, file + Line("2026-03-10", As(5, 5))},
    };
    for (const Case& c : cases) {
        HistoryBook book = Loaded(file, "2026-03-10");
        book.Fold({c.day});
        EXPECT_EQ(book.Render({}), c.expected) << c.name;
    }

    // Adds turned into floors fold any number of times, into the old text too.
    HistoryBook book = Loaded(file, "2026-03-10");
    const PendingDays pending = {{Date("2026-03-01"), As(12, 8), As(1, 1)}, {Date("2026-03-10"), {}, As(4, 4)}};
    book.Fold(pending);
    const std::string folded = book.Render({});
    const PendingDays floors = AsFloors(book, pending, {});
    EXPECT_EQ(floors, (PendingDays{{Date("2026-03-01"), As(13, 11), {}}, {Date("2026-03-10"), As(4, 4), {}}}));
    HistoryBook old = Loaded(file, "2026-03-10");
    for (HistoryBook* again : {&book, &book, &old}) {
        again->Fold(floors);
        EXPECT_EQ(again->Render({}), folded);
    }
    book.Begin(As(100, 100));
    EXPECT_EQ(book.TodayCounts(As(101, 101)), As(5, 5)) << "the running day goes on from its folded base";

    HistoryBook epoch = Loaded(Header() + Line("1970-01-01", As(1, 1)), "2026-03-10");
    epoch.Fold({{Date("1969-12-31"), As(2, 2), {}}});
    EXPECT_EQ(epoch.Render({}), Header() + Line("1969-12-31", As(2, 2)) + Line("1970-01-01", As(1, 1)));
}

TEST(HistoryBook, CountsOnAndDaysGiveTheReadableDays)
{
    const std::string file = Header() + Line("2026-03-05", As(50, 50)) + Line("2026-03-01", As(10, 10)) +
                             Line("2026-03-01", As(1, 1)) + "2026-03-07,not,a,day\r\n" + Line("2026-03-12", As(12, 12));
    HistoryBook book = Loaded(file, "2026-03-10");
    book.Begin(As(100, 100));
    const HistoryCounts idle = As(100, 100), counted = As(130, 103);
    struct Case {
        const char* date;
        HistoryCounts current;
        std::optional<HistoryCounts> expected;
    } cases[] = {
        {"2026-03-01", counted, As(10, 10)},     // its first line; the second counts for nothing
        {"2026-03-05", counted, As(50, 50)},     // out of order in the file
        {"2026-03-07", counted, std::nullopt},   // unreadable
        {"2026-03-06", counted, std::nullopt},   // no line
        {"2026-03-12", counted, As(12, 12)},     // after the running day
        {"2026-03-10", counted, As(30, 3)},      // the running day as it stands
        {"2026-03-10", idle, std::nullopt},      // nothing counted, no line: not written
    };
    for (const Case& c : cases)
        EXPECT_EQ(book.CountsOn(Date(c.date), c.current), c.expected) << c.date;

    std::vector<HistoryDay> days = {
        {Date("2026-03-01"), As(10, 10)}, {Date("2026-03-05"), As(50, 50)}, {Date("2026-03-12"), As(12, 12)}};
    EXPECT_EQ(book.Days(idle), days);
    days.insert(days.begin() + 2, {Date("2026-03-10"), As(30, 3)});
    EXPECT_EQ(book.Days(counted), days);
}

} // namespace
