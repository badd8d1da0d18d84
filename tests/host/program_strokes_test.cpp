// Where the strokes go: the foreground program as a port, and the strokes
// per program ranked for the 履歴 tab and /apps.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "export/export_table.h"
#include "history/app_days.h"
#include "programs/foreground_program.h"
#include "programs/program_table.h"
#include "store/program_strokes.h"

namespace {

class FakeForeground final : public ForegroundPort {
public:
    uint32_t foreground = 0;
    std::map<uint32_t, std::string> names;   // a process not here cannot be opened
    int processAsks = 0;
    int nameAsks = 0;

    uint32_t ForegroundProcess() override
    {
        ++processAsks;
        return foreground;
    }
    bool ExecutableName(uint32_t process, std::string& name) override
    {
        ++nameAsks;
        auto found = names.find(process);
        if (found == names.end())
            return false;
        name = found->second;
        return true;
    }
};

TEST(ForegroundProgram, StrokesGoToTheForegroundProgramNamedOnceEachTimeItChanges)
{
    constexpr uint32_t Own = 50;
    FakeForeground port;
    port.names = {{10, "notepad.exe"}, {20, "excel.exe"}, {Own, "kivora-1.04.exe"}, {40, ""}};
    ForegroundProgram program(Own);
    struct Pass {
        uint32_t foreground;
        int strokes;
        std::string_view receiver;
        int processAsks, nameAsks;   // in all, after the pass
        const char* what;
    } passes[] = {
        {10, 3, "notepad.exe", 1, 1, "the first strokes name the program"},
        {10, 2, "notepad.exe", 2, 1, "the same process: its name is not asked again"},
        {20, 0, "", 2, 1, "a pass that counted nothing asks nothing, not even the foreground"},
        {20, 1, "excel.exe", 3, 2, "another process is named"},
        {10, 4, "notepad.exe", 4, 3, "back to the first: named again, its id having changed"},
        {30, 2, UnknownApp, 5, 4, "a process that cannot be opened"},
        {30, 1, UnknownApp, 6, 4, "... is not asked again while it stays"},
        {40, 1, UnknownApp, 7, 5, "a process whose name comes back empty"},
        {0, 5, UnknownApp, 8, 5, "no foreground window (the secure desktop): nothing to open"},
        {Own, 2, OwnProgramName, 9, 5, "Kivora's own window, whatever its file is called"},
    };
    for (const Pass& pass : passes) {
        SCOPED_TRACE(pass.what);
        port.foreground = pass.foreground;
        const AppCounts before = ProgramStrokesSoFar();
        GiveStrokes(pass.strokes, program, port);
        AppCounts given = LessApps(ProgramStrokesSoFar(), before);
        AppCounts expected;
        AddAppStrokes(expected, pass.receiver, pass.strokes);
        EXPECT_EQ(given, expected);
        EXPECT_EQ(port.processAsks, pass.processAsks);
        EXPECT_EQ(port.nameAsks, pass.nameAsks);
    }
    EXPECT_EQ(OwnProgramName, "kivora.exe");
}

AppCounts Programs(std::initializer_list<AppCount> counts)
{
    AppCounts made;
    for (const AppCount& count : counts)
        AddAppStrokes(made, count.app, count.strokes);
    return made;
}

TEST(ProgramTable, RanksByStrokesWithTheirShareAndTheRestTogether)
{
    struct Case {
        AppCounts counts;
        std::size_t largest;
        std::vector<RankedApp> ranked;
        const char* what;
    } cases[] = {
        {{}, 10, {}, "no programs"},
        {Programs({{"b.exe", 1}, {"a.exe", 2}}), 10, {{"a.exe", 2, 667}, {"b.exe", 1, 333}}, "most first, shares rounded"},
        {Programs({{"b.exe", 1}, {"a.exe", 1}, {"c.exe", 6}}), 10,
         {{"c.exe", 6, 750}, {"a.exe", 1, 125}, {"b.exe", 1, 125}}, "as many strokes: by name"},
        {Programs({{"a.exe", 1}, {"b.exe", 2}, {"c.exe", 3}, {"d.exe", 4}}), 2,
         {{"d.exe", 4, 400}, {"c.exe", 3, 300}, {"", 3, 300}}, "beyond the largest: the others together"},
        {Programs({{"a.exe", 1}, {"b.exe", 2}}), 2, {{"b.exe", 2, 667}, {"a.exe", 1, 333}}, "exactly as many: no others"},
        {Programs({{"a.exe", 1999}, {"b.exe", 1}}), 10, {{"a.exe", 1999, 1000}, {"b.exe", 1, 1}},
         "a share under a tenth rounds up from a half"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(RankApps(row.counts, row.largest), row.ranked);
    }
}

TEST(ProgramTable, TheCommandsTableIsUtf8CsvWithOneDecimal)
{
    AppCounts counts = Programs({{"notepad.exe", 318}, {"a,b\"c.exe", 2}, {"\xE3\x83\xA1\xE3\x83\xA2.exe", 680}});
    EXPECT_EQ(FormatAppsTable(counts), "\xEF\xBB\xBF" "app,strokes,share\r\n"
                                       "\xE3\x83\xA1\xE3\x83\xA2.exe,680,68.0\r\n"
                                       "notepad.exe,318,31.8\r\n"
                                       "\"a,b\"\"c.exe\",2,0.2\r\n");
    EXPECT_EQ(FormatAppsTable({}), "\xEF\xBB\xBF" "app,strokes,share\r\n");
    EXPECT_EQ(ShareText(1000), "100.0");
    EXPECT_EQ(ShareText(5), "0.5");
}

TEST(ProgramTable, PeriodWordsNameTheirDays)
{
    const LocalDate today{2026, 12, 7};
    struct Case {
        const char* word;
        std::optional<DateRange> days;
    } cases[] = {
        {"today", DateRange{today, today}},
        {"TODAY", DateRange{today, today}},                        // any letter case
        {"7", DateRange{{2026, 12, 1}, today}},                    // today and the 6 days before
        {"30", DateRange{{2026, 11, 8}, today}},
        {"All", DateRange{{1, 1, 1}, {9999, 12, 31}}},
        {"2026-11-30..2026-12-06", DateRange{{2026, 11, 30}, {2026, 12, 6}}},
        {"2026-12-06..2026-11-30", std::nullopt},                  // backwards
        {"365", std::nullopt},                                     // not a word of /apps
        {"", std::nullopt},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.word);
        EXPECT_EQ(AppsPeriod(row.word, today), row.days);
    }
}

} // namespace

// Every table Kivora writes with a program's name: a name that a spreadsheet
// would run as a formula is written as text, and reads back the same.
TEST(ProgramTable, NoNameIsWrittenAsAFormulaAndEveryNameReadsBack)
{
    const LocalDate today{2026, 12, 7};
    struct Case {
        std::string app;
        const char* field;   // as the line writes it
    } cases[] = {
        {"notepad.exe", "notepad.exe"},
        {"=HYPERLINK(\"http://x\",\"x\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"x\"\")\""},
        {"+cmd|' /C calc'!A0", "\"'+cmd|' /C calc'!A0\""},
        {"-2+3", "\"'-2+3\""},
        {"@SUM(1)", "\"'@SUM(1)\""},
        {"\tx.exe", "\"'\tx.exe\""},
        {"\rx.exe", "\"'\rx.exe\""},
        {"'quoted.exe", "\"''quoted.exe\""},             // an apostrophe of its own stays
        {"'=x.exe", "\"''=x.exe\""},
        {"a,b.exe", "\"a,b.exe\""},
        {"x-1.exe", "x-1.exe"},                           // only the first character runs
        {"\xE3\x83\xA1\xE3\x83\xA2.exe", "\xE3\x83\xA1\xE3\x83\xA2.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.app);
        std::string line;
        AppendAppsLine(line, today, {c.app, 3});
        EXPECT_EQ(line, "2026-12-07," + std::string(c.field) + ",3");
        std::optional<AppsLine> read = ParseAppsLine(line);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->count.app, c.app);
        // And through the whole file, with or without the mark.
        AppBook book;
        book.Set(today, {{c.app, 3}});
        const std::string text = book.Render();
        EXPECT_TRUE(text.starts_with("\xEF\xBB\xBF" "date,app,strokes\r\n"));
        for (std::string_view form : {std::string_view(text), std::string_view(text).substr(3)}) {
            AppBook again;
            ASSERT_EQ(again.Load(form), AppsLoad::Loaded);
            EXPECT_EQ(again.Days(), book.Days());
        }
    }
    // A file of an earlier Kivora with such a name of its own keeps it.
    std::optional<AppsLine> old = ParseAppsLine("2026-12-07,'old.exe,1");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->count.app, "'old.exe");
}

TEST(ProgramTable, TheExportsFirstFieldsAreKeyNamesThatRunNothing)
{
    const std::string table = FormatHistoryExport({}, {}, {}, {});
    for (std::size_t at = 0; at < table.size(); at = table.find('\n', at) + 1) {
        EXPECT_EQ(std::string_view("=+-@\t\r'").find(table[at]), std::string_view::npos) << table.substr(at, 20);
        if (table.find('\n', at) == std::string::npos)
            break;
    }
}

// Many programs in a day, from a file under a megabyte: read and ranked
// whole, the programs past the limits of other PCs' last, the top of a
// ranking as RankApps gives it.
TEST(ProgramTable, FortyThousandProgramsAreReadAndRankedWhole)
{
    std::string text = "date,app,strokes\r\n";
    for (int n = 0; n < 40000; ++n)
        text += "2026-12-07,p" + std::to_string(n) + ".exe," + std::to_string(1 + n % 97) + "\r\n";
    text += "2026-12-07,p5.exe,1000\r\n";   // a second line of a program adds to its first
    AppBook book;
    ASSERT_EQ(book.Load(text), AppsLoad::Loaded);
    AppCounts day = *book.On({2026, 12, 7});
    ASSERT_EQ(day.size(), 40000u);
    EXPECT_TRUE(std::is_sorted(day.begin(), day.end(), [](const AppCount& a, const AppCount& b) { return a.app < b.app; }));
    AddAppStrokes(day, OtherApps, 5000);
    const std::vector<RankedApp> ranked = RankApps(day);
    ASSERT_EQ(ranked.size(), 40001u);
    EXPECT_EQ(ranked.front(), (RankedApp{"p5.exe", 1006, ranked.front().shareTenths}));
    EXPECT_EQ(ranked.back().app, OtherApps) << "last, whatever its strokes";
    for (std::size_t at = 1; at + 1 < ranked.size(); ++at) {
        ASSERT_TRUE(ranked[at - 1].strokes > ranked[at].strokes ||
                    (ranked[at - 1].strokes == ranked[at].strokes && ranked[at - 1].app < ranked[at].app));
    }
    for (std::size_t largest : {std::size_t{0}, std::size_t{10}, std::size_t{39999}, std::size_t{40001}})
        EXPECT_EQ(TopOfRanking(ranked, largest), RankApps(day, largest)) << largest;
    EXPECT_EQ(TopOfRanking(ranked, 10).back().strokes, TotalStrokes(day) - [&] {
        int64_t top = 0;
        for (std::size_t at = 0; at < 10; ++at)
            top += ranked[at].strokes;
        return top;
    }());
}
