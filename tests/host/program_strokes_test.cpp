// Where the strokes go: the foreground program as a port, and the strokes
// per program ranked for the 履歴 tab and /apps.
#include <gtest/gtest.h>

#include <map>

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
