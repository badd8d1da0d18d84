// The strokes per program: the option in set.ini, the deletion of their
// record from the Options dialog, the foreground program's name as Windows
// gives it, and /apps beside a running Kivora.
#include <cctype>

#include "history/user_history.h"
#include "options/options_dialog.h"
#include "options/settings_file.h"
#include "programs/foreground_windows.h"
#include "programs/program_table.h"
#include "res/resource.h"
#include "store/program_strokes.h"
#include "store/user_days.h"
#include "store/user_for_command.h"
#include "user_data_fixture.h"

namespace {

using namespace wintest;

constexpr char OptionsTitle[] = "オプション";
constexpr char Parts[] = "[setup]\r\nAUTOSTART=0\r\nSTARTUP=\r\n";

class ProgramsTest : public UserDataTest {
protected:
    void SetUp() override
    {
        UserDataTest::SetUp();
        ASSERT_TRUE(CopyIfFits(SettingsPath, sizeof SettingsPath, Settings().c_str()));
        catcher_.LetThrough(OptionsTitle);
        RecordPrograms = false;
    }
    void TearDown() override
    {
        SettingsPath[0] = '\0';
        RecordPrograms = false;
        UserDataTest::TearDown();
    }

    std::string Settings() const { return folder_ / "set.ini"; }
    std::string AppsFile() const { return DataFile("taro.apps.csv"); }

    // Opens the Options dialog, does one thing in it, waits until the boxes
    // it brings have been answered, and leaves with OK or Cancel.
    void InOptions(int control, bool tick, size_t boxes, int leaveWith)
    {
        int step = 0;
        DialogScript script([&] {
            HWND options = DialogScript::Find(OptionsTitle);
            if (options == nullptr)
                return true;
            if (step++ == 0) {
                if (control == IDC_RECORD_PROGRAMS)
                    CheckDlgButton(options, control, tick ? BST_CHECKED : BST_UNCHECKED);
                else
                    PostMessageA(options, WM_COMMAND, control, 0);
                return true;
            }
            if (catcher_.Shown().size() < boxes || BoxUp(options))
                return true;
            PostMessageA(options, WM_COMMAND, leaveWith, 0);
            return false;
        });
        ShowOptionsDialog(window_.Handle(), ForgetProgramStrokes);
    }

    static bool BoxUp(HWND options)
    {
        for (HWND box = nullptr; (box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr;) {
            if (box != options && GetWindowThreadProcessId(box, nullptr) == GetCurrentThreadId())
                return true;
        }
        return false;
    }
};

TEST_F(ProgramsTest, TheOptionIsAppsInSetIniWrittenOnlyWhenChanged)
{
    StartupShortcutGuard startup;
    struct Read {
        const char* file;   // null: no set.ini
        bool on;
    } reads[] = {
        {nullptr, false},                         // no settings file
        {Parts, false},                           // a missing key is off
        {"[setup]\r\nAPPS=1\r\n", true},
        {"[setup]\r\nAPPS=0\r\n", false},
        {"[setup]\r\nAPPS=yes\r\n", false},       // only 1 is on
    };
    for (const Read& row : reads) {
        SCOPED_TRACE(row.file != nullptr ? row.file : "no file");
        DeleteFileA(Settings().c_str());
        if (row.file != nullptr)
            WriteBytes(Settings(), row.file);
        RecordPrograms = !row.on;
        ReadProgramsSetting();
        EXPECT_EQ(RecordPrograms.load(), row.on);
    }

    struct Change {
        bool tick;
        int leaveWith;
        const char* file;
        const char* what;
    } changes[] = {
        {false, IDOK, Parts, "untouched: the Parts' keys alone"},
        {true, IDCANCEL, Parts, "Cancel changes nothing"},
        {true, IDOK, "[setup]\r\nAUTOSTART=0\r\nSTARTUP=\r\nAPPS=1\r\n", "ticked: APPS=1 after them"},
        {true, IDOK, "[setup]\r\nAUTOSTART=0\r\nSTARTUP=\r\nAPPS=1\r\n", "again: as it was"},
        {false, IDOK, "[setup]\r\nAUTOSTART=0\r\nSTARTUP=\r\nAPPS=0\r\n", "cleared: APPS=0"},
    };
    WriteBytes(Settings(), Parts);
    RecordPrograms = false;
    for (const Change& row : changes) {
        SCOPED_TRACE(row.what);
        InOptions(IDC_RECORD_PROGRAMS, row.tick, 0, row.leaveWith);
        EXPECT_EQ(ReadBytes(Settings()), row.file);
        EXPECT_EQ(RecordPrograms.load(), row.tick && row.leaveWith == IDOK);
        RecordPrograms = row.leaveWith == IDOK ? row.tick : RecordPrograms.load();
    }
    EXPECT_TRUE(catcher_.Shown().empty());
}

TEST_F(ProgramsTest, DeletingTheRecordAsksFirstAndTellsWhenItCannot)
{
    WriteBytes(Settings(), Parts);
    LogIn("taro.dat", {});
    AddProgramStrokes("notepad.exe", 5);
    ASSERT_EQ(SaveUserData(SaveKind::Leaving), 0);
    const std::string before = "\xEF\xBB\xBF" "date,app,strokes\r\n" + FormatLocalDate(TodaysDate()) + ",notepad.exe,5\r\n";
    ASSERT_EQ(ReadBytes(AppsFile()), before);

    struct Case {
        int answer;
        bool held;         // another program keeps it open, sharing nothing
        bool deleted;
        const char* what;
    } cases[] = {
        {IDNO, false, false, "No: kept"},
        {IDYES, true, false, "held: kept, and the failure told"},
        {IDYES, false, true, "Yes: deleted"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        catcher_.Clear();
        catcher_.AnswerWith([&](const ShownMessage&) { return row.answer; });
        FileHolder holder(AppsFile(), 0);
        if (!row.held)
            holder.Release();
        const size_t boxes = row.held ? 2 : 1;
        InOptions(IDC_FORGET_PROGRAMS, false, boxes, IDCANCEL);
        ASSERT_EQ(catcher_.Shown().size(), boxes);
        EXPECT_EQ(catcher_.Shown()[0].text,
                  "このユーザーのアプリごとの打鍵数の記録を削除します。削除した記録は元に戻せません。よろしいですか？");
        if (row.held) {
            EXPECT_EQ(catcher_.Shown()[1].caption, "エラー");
            EXPECT_NE(catcher_.Shown()[1].owner, window_.Handle()) << "owned by the dialog";
        }
        holder.Release();
        EXPECT_EQ(Exists(AppsFile()), !row.deleted);
    }
    EXPECT_EQ(ReadBytes(Settings()), Parts) << "Cancel: the option itself unchanged";

    // What was counted before the deletion does not come back with the next
    // save; what is counted after it does.
    ASSERT_EQ(SaveUserData(), 0);
    EXPECT_FALSE(Exists(AppsFile()));
    AddProgramStrokes("excel.exe", 2);
    ASSERT_EQ(SaveUserData(SaveKind::Leaving), 0);
    EXPECT_EQ(ReadBytes(AppsFile()), "\xEF\xBB\xBF" "date,app,strokes\r\n" + FormatLocalDate(TodaysDate()) + ",excel.exe,2\r\n");
}

TEST_F(ProgramsTest, WindowsNamesAProgramByItsFileInLowercase)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string expected = std::string(path).substr(std::string(path).find_last_of('\\') + 1);
    for (char& c : expected)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    WindowsForeground port;
    std::string name;
    ASSERT_TRUE(port.ExecutableName(GetCurrentProcessId(), name));
    EXPECT_EQ(name, expected);
    EXPECT_FALSE(port.ExecutableName(0xFFFFFFF0u, name)) << "no such process";
}

TEST_F(ProgramsTest, AppsCommandWritesThePeriodsProgramsBesideARunningKivora)
{
    const LocalDate today = TodaysDate();
    auto line = [](const LocalDate& date, const char* app, int strokes) {
        std::string text;
        AppendAppsLine(text, date, {app, strokes});
        return text + "\r\n";
    };
    WriteBytes(DataFile("taro.dat"), Image());
    WriteBytes(AppsFile(), "date,app,strokes\r\n" + line(AddDays(today, -40), "excel.exe", 900) +
                               line(AddDays(today, -6), "notepad.exe", 30) + line(today, "notepad.exe", 10) +
                               line(today, "\xE3\x83\xA1\xE3\x83\xA2.exe", 60));
    const std::string apps = ReadBytes(AppsFile()).value();
    HANDLE running = CreateMutexA(nullptr, FALSE, "MyInstance");
    struct Case {
        const char* arguments;
        int exitCode;
        const char* table;   // out.csv afterwards
    } cases[] = {
        {"/apps taro out.csv today", CommandDone, "\xEF\xBB\xBF" "app,strokes,share\r\n\xE3\x83\xA1\xE3\x83\xA2.exe,60,85.7\r\n"
                                                  "notepad.exe,10,14.3\r\n"},
        {"/apps taro out.csv 7", CommandDone, "\xEF\xBB\xBF" "app,strokes,share\r\n\xE3\x83\xA1\xE3\x83\xA2.exe,60,60.0\r\n"
                                              "notepad.exe,40,40.0\r\n"},
        {"/apps taro out.csv", CommandDone, "\xEF\xBB\xBF" "app,strokes,share\r\nexcel.exe,900,90.0\r\n"
                                            "\xE3\x83\xA1\xE3\x83\xA2.exe,60,6.0\r\nnotepad.exe,40,4.0\r\n"},
        {"/apps taro out.csv 365", CommandWrongArguments, nullptr},
        {"/apps hanako out.csv", CommandUnknownUser, nullptr},
        {"/apps taro data\\out.csv", CommandUnwritable, nullptr},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.arguments);
        DeleteFileA((folder_ / "out.csv").c_str());
        EXPECT_EQ(RunKivora(folder_.Path(), row.arguments), row.exitCode);
        EXPECT_EQ(ReadBytes(folder_ / "out.csv"), row.table != nullptr ? std::optional<std::string>(row.table)
                                                                         : std::nullopt);
    }
    EXPECT_EQ(ReadBytes(AppsFile()), apps) << "only read";

    FileHolder held(AppsFile(), 0);
    EXPECT_EQ(RunKivora(folder_.Path(), "/apps taro held.csv"), CommandUnreadable);
    held.Release();
    WriteBytes(AppsFile(), "not,apps\r\n");
    EXPECT_EQ(RunKivora(folder_.Path(), "/apps taro other.csv"), CommandUnreadable);
    EXPECT_FALSE(Exists(folder_ / "held.csv"));
    EXPECT_FALSE(Exists(folder_ / "other.csv"));
    DeleteFileA(AppsFile().c_str());
    EXPECT_EQ(RunKivora(folder_.Path(), "/apps taro none.csv"), CommandDone);
    EXPECT_EQ(ReadBytes(folder_ / "none.csv"), "\xEF\xBB\xBF" "app,strokes,share\r\n") << "nothing recorded";
    CloseHandle(running);
}

} // namespace
