// This PC's files in a shared folder and the other PCs' read from it, through
// the real saves, the worker thread and the file system: what is written
// where, a file of this PC's name that another installation wrote, a folder
// that is away, a file the sync engine holds.
#include <gtest/gtest.h>

#include <vector>

#include "app/main_window.h"
#include "history/pending_history.h"
#include "history/user_history.h"
#include "options/settings_file.h"
#include "paint/page_canvas.h"
#include "res/resource.h"
#include "stats/stats_window.h"
#include "store/program_strokes.h"
#include "store/user_days.h"
#include "store/user_for_command.h"
#include "sync/folder_on_disk.h"
#include "sync/pc_files.h"
#include "sync/pc_sharing.h"
#include "user_data_fixture.h"

namespace {

using namespace wintest;

class SyncFolderTest : public UserDataTest {
protected:
    void SetUp() override
    {
        UserDataTest::SetUp();
        ASSERT_TRUE(CopyIfFits(SettingsPath, sizeof SettingsPath, (folder_ / "set.ini").c_str()));
        UseFolder(shared_.Path());
        FollowUserFiles(ShareUserFiles);
        told_.clear();
        SetNoticeBalloon([](const char* title, const char*) {
            told_.push_back(title);
            return true;
        });
    }
    void TearDown() override
    {
        FinishSharing();
        FollowUserFiles(nullptr);
        SetNoticeBalloon(nullptr);
        NoteOutcome(Notice::SyncFailed, true);
        UserDataTest::TearDown();
    }

    void UseFolder(const std::string& path)
    {
        ASSERT_TRUE(WritePrivateProfileStringA("setup", "SYNC", path.c_str(), SettingsPath));
    }
    std::string PcId() const
    {
        char id[16] = "";
        GetPrivateProfileStringA("setup", "PCID", "", id, sizeof id, SettingsPath);
        return id;
    }
    std::string Pc() const
    {
        wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = L"";
        DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
        GetComputerNameW(name, &size);
        return PcOf(PcNameOf(name), PcId());
    }
    std::string InFolder(const std::string& name) const { return shared_ / ("taro\\" + name); }
    void Save()
    {
        Lower('b').value += 2;
        // Before leaving, so that the history itself is there to copy.
        ASSERT_EQ(SaveUserData(SaveKind::Leaving), 0) << "the local save is what counts";
        FinishSharing();
    }
    static std::string History(int a)
    {
        std::string text(HistoryHeader);
        text += "\r\n";
        HistoryCounts counts;
        counts.keys[0] = a;
        AppendHistoryLine(text, TodaysDate(), counts);
        return text;
    }
    int64_t StrokesOfAllPcs() const
    {
        std::vector<HistoryDay> days = WithOtherPcsDays({});
        return days.empty() ? 0 : days.back().counts.keys[0];
    }

    TempFolder shared_;
    static std::vector<std::string> told_;
};

std::vector<std::string> SyncFolderTest::told_;

TEST_F(SyncFolderTest, EachSaveCopiesThisPcsFilesAndReadsTheOtherPcs)
{
    ASSERT_TRUE(CreateDirectoryA((shared_ / "taro").c_str(), nullptr));
    WriteBytes(InFolder("LAPTOP-00000001.history.csv"), History(7));
    WriteBytes(InFolder("LAPTOP-00000001 (1).history.csv"), History(700));   // a conflict copy
    WriteBytes(InFolder("LAPTOP-00000001.keys.csv"), "key,count\r\na,40\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("setup", "PCID", "0000abcd", SettingsPath));
    WriteBytes(InFolder(Pc() + ".history.csv.1.tmp"), "a write killed midway");
    LogIn("taro.dat", {});
    FinishSharing();
    EXPECT_EQ(StrokesOfAllPcs(), 7) << "read at the login";
    EXPECT_FALSE(Exists(InFolder(Pc() + ".history.csv.1.tmp")));
    Save();
    EXPECT_EQ(PcId(), "0000abcd");
    EXPECT_EQ(ReadBytes(InFolder(Pc() + ".history.csv")), ReadBytes(DataFile("taro.history.csv")));
    EXPECT_EQ(StrokesOfAllPcs(), 7) << "this PC's own copy is not read";
    EXPECT_EQ(WithOtherPcsAllTime({}).keys[0], 40);
    const std::string id = PcId();
    unsigned version = OtherPcsVersion();
    WriteBytes(InFolder("LAPTOP-00000001.history.csv"), History(9));
    Save();
    EXPECT_EQ(StrokesOfAllPcs(), 9);
    EXPECT_NE(OtherPcsVersion(), version);
    EXPECT_EQ(PcId(), id) << "kept";
    EXPECT_TRUE(told_.empty());
}

// A disk copied with Kivora on it: the other installation's file under this
// PC's name stays as it is, and this one writes under a new id, for this user
// alone: in another user's folder its files under the installation's id are
// still its own, never another PC's.
TEST_F(SyncFolderTest, AnotherInstallationsFileUnderThisNameStaysAndThisUserTakesANewId)
{
    ASSERT_TRUE(WritePrivateProfileStringA("setup", "PCID", "0badc0de", SettingsPath));
    ASSERT_TRUE(CreateDirectoryA((shared_ / "taro").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((shared_ / "hanako").c_str(), nullptr));
    const std::string installation = Pc();
    const std::string theirs = InFolder(installation + ".history.csv");
    WriteBytes(theirs, History(5000));
    const std::string hanakos = shared_ / ("hanako\\" + installation + ".keys.csv");
    WriteBytes(hanakos, "key,count\r\na,3\r\n");   // written by this PC in an earlier run
    LogIn("taro.dat", {});
    Save();
    EXPECT_EQ(ReadBytes(theirs), History(5000));
    EXPECT_EQ(PcId(), "0badc0de") << "the installation's id stays";
    char id[16] = "";
    GetPrivateProfileStringA("setup", "PCID.7461726f", "", id, sizeof id, SettingsPath);   // taro's
    ASSERT_TRUE(IsPcId(id)) << id;
    const std::string taros = PcOf(installation.substr(0, installation.find('-')), id);
    EXPECT_EQ(ReadBytes(InFolder(taros + ".history.csv")), ReadBytes(DataFile("taro.history.csv")));
    EXPECT_EQ(StrokesOfAllPcs(), 5000) << "the other installation's days count";

    LogIn("hanako.dat", {{1, 3}});
    Save();
    EXPECT_TRUE(Exists(shared_ / ("hanako\\" + installation + ".history.csv"))) << "under the installation's id";
    EXPECT_NE(ReadBytes(hanakos), std::optional<std::string>("key,count\r\na,3\r\n")) << "its own, written anew";
    EXPECT_EQ(WithOtherPcsAllTime({}).keys[0], 0) << "no PC of its own counted twice";
}

// Deleting the record of the programs reaches this PC's copy; the running
// day's pending file is copied, and its header alone once the history holds
// its days.
TEST_F(SyncFolderTest, ThePendingFileIsCopiedAndADeletedRecordLeavesTheFolder)
{
    ASSERT_TRUE(WritePrivateProfileStringA("setup", "PCID", "0000abcd", SettingsPath));
    LogIn("taro.dat", {});
    AddProgramStrokes("notepad.exe", 5);
    Save();
    ASSERT_TRUE(Exists(InFolder(Pc() + ".apps.csv")));
    EXPECT_FALSE(Exists(InFolder(Pc() + ".history.pending"))) << "none while there is none";
    {
        // A spreadsheet holds the history: the days wait in the pending file.
        FileHolder spreadsheet(DataFile("taro.history.csv"), 0);
        ASSERT_TRUE(spreadsheet.Holding());
        Save();
        ASSERT_TRUE(Exists(DataFile("taro.history.pending")));
        EXPECT_EQ(ReadBytes(InFolder(Pc() + ".history.pending")), ReadBytes(DataFile("taro.history.pending")));
    }
    ASSERT_TRUE(ForgetProgramStrokes());
    Save();
    ASSERT_FALSE(Exists(DataFile("taro.history.pending"))) << "folded into the history";
    EXPECT_EQ(ReadBytes(InFolder(Pc() + ".history.pending")), std::string(PendingHeader) + "\r\n");
    EXPECT_FALSE(Exists(InFolder(Pc() + ".apps.csv"))) << "deleted with the local record";
}

// /apps with a shared folder: a Kivora folder copied to another PC keeps this
// PC's days and programs, which count once (the command reads the days that
// tell them); a program's name that a spreadsheet would run is written as text.
TEST_F(SyncFolderTest, AppsCountsACopiedFolderOnceAndWritesNoFormula)
{
    ASSERT_TRUE(CreateDirectoryA((shared_ / "taro").c_str(), nullptr));
    ASSERT_TRUE(WritePrivateProfileStringA("setup", "PCID", "0000abcd", SettingsPath));
    const std::string today = FormatLocalDate(TodaysDate());
    const std::string apps = "date,app,strokes\r\n" + today + ",notepad.exe,5\r\n";
    WriteBytes(DataFile("taro.dat"), Image({}));
    WriteBytes(DataFile("taro.history.csv"), History(5));
    WriteBytes(DataFile("taro.apps.csv"), apps);
    WriteBytes(InFolder("NEWPC-00000002.history.csv"), History(5));
    WriteBytes(InFolder("NEWPC-00000002.apps.csv"), apps);
    WriteBytes(InFolder("STRANGER-00000003.apps.csv"),
               "date,app,strokes\r\n" + today + ",\"=HYPERLINK(\"\"http://x\"\",\"\"x\"\")\",1\r\n" + today +
                   ",+cmd|' /C calc'!A0,1\r\n" + today + ",-2+3,1\r\n" + today + ",@SUM(1),1\r\n");
    ASSERT_EQ(RunKivora(folder_.Path(), "/apps taro out.csv today"), CommandDone);
    EXPECT_EQ(ReadBytes(folder_ / "out.csv"), "\xEF\xBB\xBF" "app,strokes,share\r\n"
                                              "notepad.exe,5,55.6\r\n"
                                              "\"'+cmd|' /C calc'!A0\",1,11.1\r\n"
                                              "\"'-2+3\",1,11.1\r\n"
                                              "\"'=HYPERLINK(\"\"http://x\"\",\"\"x\"\")\",1,11.1\r\n"
                                              "\"'@SUM(1)\",1,11.1\r\n");
}

// The shortcuts as the programs: this PC's shortcuts.csv copied, another
// PC's folded with its pending file and added for the windows and for
// /shortcuts, a Kivora folder copied to another PC's once.
TEST_F(SyncFolderTest, ShortcutsAreCopiedAndReadAsProgramsAre)
{
    ASSERT_TRUE(WritePrivateProfileStringA("setup", "PCID", "0000abcd", SettingsPath));
    ASSERT_TRUE(CreateDirectoryA((shared_ / "taro").c_str(), nullptr));
    const std::string today = FormatLocalDate(TodaysDate());
    WriteBytes(InFolder("LAPTOP-00000001.shortcuts.csv"), "date,shortcut,strokes\r\n" + today + ",Ctrl+V,3\r\n");
    WriteBytes(InFolder("LAPTOP-00000001.history.pending"),
               std::string(PendingHeader) + "\r\nshortcutfloor," + today + ",Ctrl+V,4\r\n");
    LogIn("taro.dat", {});
    AddShortcutStrokes("Ctrl+C", 5);
    Save();
    const std::optional<std::string> local = ReadBytes(DataFile("taro.shortcuts.csv"));
    ASSERT_TRUE(local);
    EXPECT_EQ(ReadBytes(InFolder(Pc() + ".shortcuts.csv")), local);
    const DateRange day{TodaysDate(), TodaysDate()};
    EXPECT_EQ(WithOtherPcsShortcuts(CurrentShortcutStrokes(day).value_or(AppCounts{}), day),
              (AppCounts{{"Ctrl+C", 5}, {"Ctrl+V", 4}}));
    WriteBytes(InFolder("NEWPC-00000002.shortcuts.csv"), *local);
    ASSERT_EQ(RunKivora(folder_.Path(), "/shortcuts taro out.csv today"), CommandDone);
    EXPECT_EQ(ReadBytes(folder_ / "out.csv"),
              "\xEF\xBB\xBF" "shortcut,strokes,share\r\nCtrl+C,5,55.6\r\nCtrl+V,4,44.4\r\n") << "the copy's once";
    ASSERT_EQ(RunKivora(folder_.Path(), "/shortcuts taro out.csv today thispc"), CommandDone);
    EXPECT_EQ(ReadBytes(folder_ / "out.csv"), "\xEF\xBB\xBF" "shortcut,strokes,share\r\nCtrl+C,5,100.0\r\n");
}

// A drive that is not plugged in: the saves go on, nothing is made in its
// place, the icon tells it once, and the copies come once it is back.
TEST_F(SyncFolderTest, AFolderThatIsAwayCostsNothingAndIsToldOnce)
{
    const std::string away = shared_ / "away";
    UseFolder(away);
    LogIn("taro.dat", {});
    for (int minute = 0; minute < 5; ++minute)
        Save();
    EXPECT_FALSE(Exists(away)) << "never made";
    EXPECT_EQ(told_, std::vector<std::string>{"Kivora: 記録を共有するフォルダーに書き込めません"});
    ASSERT_TRUE(CreateDirectoryA(away.c_str(), nullptr));
    Save();
    Save();
    EXPECT_TRUE(Exists(away + "\\taro\\" + Pc() + ".history.csv"));
    UseFolder("");
    Save();
    EXPECT_FALSE(SharingOn()) << "an empty field is off";
}

TEST_F(SyncFolderTest, AFileTheEngineHoldsIsLookedAtAgainNeverOverwrittenUnseen)
{
    ASSERT_TRUE(CreateDirectoryA((shared_ / "taro").c_str(), nullptr));
    const std::string other = InFolder("LAPTOP-00000001.history.csv");
    WriteBytes(other, History(7));
    FolderOnDisk folder(shared_ / "taro", false);
    std::string text;
    {
        FileHolder engine(other, 0);
        ASSERT_TRUE(engine.Holding());
        EXPECT_EQ(folder.Read("LAPTOP-00000001.history.csv", text), FileRead::Held);
    }
    EXPECT_EQ(folder.Read("LAPTOP-00000001.history.csv", text), FileRead::Read);
    EXPECT_EQ(folder.Read("none.history.csv", text), FileRead::Missing);
    std::vector<FolderEntry> files;
    ASSERT_TRUE(CreateDirectoryA(InFolder("DESK-00000002.history.csv").c_str(), nullptr));
    ASSERT_TRUE(folder.List(files));
    ASSERT_EQ(files.size(), 1u) << "folders are no files";
    EXPECT_FALSE(FolderOnDisk(shared_ / "away", false).List(files));
}

// The history tab shows every PC's days by default while a folder is set,
// this PC's alone when この PC is chosen, and no choice once the folder is
// cleared.
TEST_F(SyncFolderTest, TheHistoryTabShowsEveryPcUnlessThisPcIsChosen)
{
    ASSERT_TRUE(CreateDirectoryA((shared_ / "taro").c_str(), nullptr));
    WriteBytes(InFolder("LAPTOP-00000001.history.csv"), History(7));
    LogIn("taro.dat", {});
    FinishSharing();
    CreateStatisticsWindows(MainWindow);
    HWND tabs = nullptr;
    for (HWND child = GetWindow(MainWindow, GW_CHILD); child != nullptr && tabs == nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        tabs = GetDlgItem(child, IDC_TABS);
    HWND history = nullptr;
    for (HWND page = GetWindow(tabs, GW_CHILD); page != nullptr; page = GetWindow(page, GW_HWNDNEXT))
        history = GetDlgItem(page, IDC_CHART_SPAN) != nullptr ? page : history;
    ASSERT_NE(history, nullptr);
    HWND choice = GetDlgItem(history, IDC_CHART_PCS);
    auto shown = [&] { return (GetWindowLongA(choice, GWL_STYLE) & WS_VISIBLE) != 0; };
    auto name = [&] {
        char text[512] = "";
        GetWindowTextA(history, text, sizeof text);
        return std::string(text);
    };
    struct Case {
        int chosen;          // the list's item: この PC, すべての PC
        const char* span;    // the span's strokes in the page's name
    } cases[] = {
        {-1, "　7 打鍵"},   // the default: every PC
        {0, "　0 打鍵"},    // this PC has typed nothing yet
        {1, "　7 打鍵"},
    };
    SendMessageA(history, WM_PAINT, 0, 0);
    EXPECT_TRUE(shown());
    for (const Case& c : cases) {
        if (c.chosen >= 0) {
            SendMessageA(choice, CB_SETCURSEL, c.chosen, 0);
            SendMessageA(history, WM_COMMAND, MAKEWPARAM(IDC_CHART_PCS, CBN_SELCHANGE), 0);
        }
        EXPECT_NE(name().find(c.span), std::string::npos) << c.chosen << ": " << name();
    }
    UseFolder("");
    Save();
    ShowWindow(MainWindow, SW_SHOWNA);
    ShowWindow(history, SW_SHOWNA);
    SendMessageA(history, WM_TIMER, PageRefreshTimer, 0);
    EXPECT_FALSE(shown()) << "no folder, no choice";
    // This PC's own days: the two strokes of the save, none of the other PC's.
    EXPECT_NE(name().find("　2 打鍵　"), std::string::npos) << name();
    ShowWindow(MainWindow, SW_HIDE);
}

} // namespace
