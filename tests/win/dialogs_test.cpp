// The login and Options dialogs run for real, driven through their controls
// by a script on the test's thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>

#include "app/tray_icon.h"
#include "login/login_dialog.h"
#include "options/options_dialog.h"
#include "options/settings_file.h"
#include "options/sync_setting.h"
#include "res/resource.h"
#include "store/user_data.h"
#include "users/user_list.h"
#include "win/ansi_text.h"
#include "win/main_window_frame.h"
#include "win/modal_ui.h"
#include "text_fit.h"
#include "win_test_support.h"

namespace {

using namespace wintest;

constexpr char LoginTitle[] = "Kivoraログイン画面";
constexpr char NewUserTitle[] = "新規ユーザー作成";
constexpr char OptionsTitle[] = "オプション";

// The polling thread's registration check clears NewUserPending at the first
// lowercase letter, which may come right after the registration: this thread
// does it at once, every time.
class ImpatientRegistrationCheck {
public:
    ImpatientRegistrationCheck() : thread_(CreateThread(nullptr, 0, Run, this, 0, nullptr)) {}
    ~ImpatientRegistrationCheck()
    {
        running_ = false;
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    ImpatientRegistrationCheck(const ImpatientRegistrationCheck&) = delete;
    ImpatientRegistrationCheck& operator=(const ImpatientRegistrationCheck&) = delete;

private:
    static DWORD WINAPI Run(LPVOID self)
    {
        while (static_cast<ImpatientRegistrationCheck*>(self)->running_) {
            LONG pending = 1;
            NewUserPending.compare_exchange_strong(pending, 0);
        }
        return 0;
    }

    std::atomic<bool> running_{true};
    HANDLE thread_;
};

TEST(Dialogs, LoginClosesAfterARegistrationWhateverThePollingThreadDidMeanwhile)
{
    TempFolder folder;
    CurrentDirectoryScope here(folder.Path());
    CreateDirectoryA((folder / "data").c_str(), nullptr);
    WriteBytes(folder / "data\\taro.dat", std::string(738, '\0'));
    HiddenWindow mainWindow;
    MainWindow = mainWindow.Handle();
    MessageBoxCatcher catcher;
    catcher.LetThrough(LoginTitle);
    catcher.LetThrough(NewUserTitle);
    // A log-off: taro is logged in, and the dialog reuses the windows.
    ReloginFlag = 1;
    LastSelection = 0;
    ASSERT_TRUE(CopyIfFits(CurrentUserFile, sizeof CurrentUserFile, "taro.dat"));
    ASSERT_TRUE(CopyIfFits(DataFilePath, sizeof DataFilePath, (folder / "data\\taro.dat").c_str()));

    enum { OpenNewUser, Register, WaitForClose } stage = OpenNewUser;
    int ticksAfterRegistering = 0;
    bool loginStayedOpen = false;
    ImpatientRegistrationCheck check;
    DialogScript script([&] {
        HWND login = DialogScript::Find(LoginTitle);
        HWND newUser = DialogScript::Find(NewUserTitle);
        switch (stage) {
        case OpenNewUser:
            if (login != nullptr) {
                PostMessageA(login, WM_COMMAND, IDC_NEW_USER, 0);
                stage = Register;
            }
            return true;
        case Register:
            if (newUser != nullptr) {
                SetDlgItemTextA(newUser, IDC_USER_NAME, "jiro");
                PostMessageA(newUser, WM_COMMAND, IDOK, 0);
                stage = WaitForClose;
            }
            return true;
        case WaitForClose:
            if (login != nullptr && ++ticksAfterRegistering > 40) {
                loginStayedOpen = true;
                PostMessageA(login, WM_COMMAND, IDCANCEL, 0);
                return false;
            }
            return true;
        }
        return false;
    });

    ShowLoginDialog(MainWindow);

    EXPECT_FALSE(loginStayedOpen) << "the login dialog closes with the registration";
    EXPECT_TRUE(Exists(folder / "data\\jiro.dat"));
    EXPECT_STREQ(CurrentUserFile, "jiro.dat");
    EXPECT_TRUE(catcher.Shown().empty());

    ReloginFlag = 0;
    DataFilePath[0] = '\0';
    CurrentUserFile[0] = '\0';
    AppFolder[0] = '\0';
    MainWindow = nullptr;
}

TEST(Dialogs, OptionsRefuseAProgramPathThatDoesNotFitAndChangeNothing)
{
    StartupShortcutGuard startup;
    TempFolder folder;
    const std::string settings = folder / "set.ini";
    const std::string before = "[setup]\r\nAUTOSTART=0\r\nSTARTUP=\r\n";
    WriteBytes(settings, before);
    ASSERT_TRUE(CopyIfFits(SettingsPath, sizeof SettingsPath, settings.c_str()));
    // With "\Kivora.exe" after it, the program's path would not fit its 200 bytes.
    const std::string longFolder = folder.Path() + "\\" + std::string(PathCapacity - 5 - folder.Path().size(), 'x');
    ASSERT_TRUE(CopyIfFits(AppFolder, sizeof AppFolder, longFolder.c_str()));
    AutoStart = 0;
    StartupTarget[0] = '\0';
    HiddenWindow mainWindow;
    MessageBoxCatcher catcher;
    catcher.LetThrough(OptionsTitle);
    HWND options = nullptr;
    DialogScript script([&] {
        if ((options = DialogScript::Find(OptionsTitle)) == nullptr)
            return true;
        CheckDlgButton(options, IDC_AUTO_START, BST_CHECKED);
        PostMessageA(options, WM_COMMAND, IDOK, 0);
        return false;
    });

    ShowOptionsDialog(mainWindow.Handle(), nullptr);

    ASSERT_EQ(catcher.Shown().size(), 1u);
    EXPECT_EQ(catcher.Shown()[0].text, "ショートカット作成失敗");
    EXPECT_EQ(catcher.Shown()[0].owner, options) << "the dialog waits for the answer";
    EXPECT_FALSE(Exists(startup.Shortcut())) << "no shortcut to an old or empty target";
    EXPECT_EQ(ReadBytes(settings), before);
    EXPECT_EQ(AutoStart, 0);
    EXPECT_STREQ(StartupTarget, "");
    AppFolder[0] = '\0';
    SettingsPath[0] = '\0';
}

// The shared folder's field: a folder that exists is kept as typed but for
// blanks and a last backslash; one that cannot be used is explained and the
// dialog stays, set.ini as it was.
TEST(Dialogs, OptionsKeepASharedFolderThatExistsAndExplainAnyOther)
{
    TempFolder folder;
    const std::string settings = folder / "set.ini";
    WriteBytes(settings, "[setup]\r\nAUTOSTART=0\r\nSTARTUP=\r\n");
    ASSERT_TRUE(CopyIfFits(SettingsPath, sizeof SettingsPath, settings.c_str()));
    const std::string shared = folder / "shared";
    ASSERT_TRUE(CreateDirectoryA(shared.c_str(), nullptr));
    const std::string notFound = "記録を共有するフォルダーが見つかりません。［参照...］で、すでにあるフォルダーを選んでください。";
    const std::string relative = "記録を共有するフォルダーは、D:\\Sync\\Kivora や \\\\サーバー\\共有\\Kivora のように、"
                                 "ドライブかネットワークの場所から書いてください。［参照...］で選ぶこともできます。";
    struct Case {
        std::string field;
        std::string message;   // shown, the dialog staying; none: it closes
        std::string kept;      // SYNC afterwards
        bool changed;
    } cases[] = {
        {"  " + shared + "\\ ", "", shared, true},                     // trimmed
        {shared, "", shared, false},                                     // the same: nothing written
        {shared + "\\none", notFound, shared, false},                  // not there
        {"shared", relative, shared, false},                             // relative to nothing the user sees
        {"C:\\" + std::string(LongestSyncFolder, 'x'),
         "記録を共有するフォルダーの場所が長すぎます。もっと短い場所のフォルダーを選んでください。", shared, false},
        {"", "", "", true},                                              // cleared: off
    };
    HiddenWindow mainWindow;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        MessageBoxCatcher catcher;
        catcher.LetThrough(OptionsTitle);
        bool okSent = false;
        DialogScript script([&] {
            HWND options = DialogScript::Find(OptionsTitle);
            if (options == nullptr)
                return !okSent;
            if (okSent) {   // still up after OK: the message was answered
                PostMessageA(options, WM_COMMAND, IDCANCEL, 0);
                return false;
            }
            SetDlgItemTextA(options, IDC_SYNC_FOLDER, c.field.c_str());
            PostMessageA(options, WM_COMMAND, IDOK, 0);
            okSent = true;
            return true;
        });
        EXPECT_EQ(ShowOptionsDialog(mainWindow.Handle(), nullptr), c.changed);
        ASSERT_EQ(catcher.Shown().size(), c.message.empty() ? 0u : 1u);
        if (!c.message.empty()) {
            EXPECT_EQ(catcher.Shown()[0].text, c.message);
        }
        char kept[PathCapacity];
        ReadSyncFolder(SettingsPath, kept);
        EXPECT_EQ(kept, c.kept);
    }
    SettingsPath[0] = '\0';
}

// The Options dialog opens over the main window while it is shown, and in
// the middle of the work area while it is not, its first box at the top and
// every text whole.
TEST(Dialogs, OptionsOpenCentredWithEveryTextWhole)
{
    TempFolder folder;
    const std::string settings = folder / "set.ini";
    WriteBytes(settings, "[setup]\r\nAUTOSTART=0\r\nSTARTUP=\r\n");
    ASSERT_TRUE(CopyIfFits(SettingsPath, sizeof SettingsPath, settings.c_str()));
    for (bool shown : {true, false}) {
        SCOPED_TRACE(shown ? "over the window" : "the window hidden");
        HiddenWindow mainWindow;
        HWND owner = mainWindow.Handle();
        SetWindowPos(owner, nullptr, 30, 20, 700, 560, SWP_NOZORDER);
        if (shown)
            ShowWindow(owner, SW_SHOWNORMAL);
        RECT around = {}, frame = {}, box = {}, client = {};
        std::vector<std::string> cut;
        if (shown)
            GetWindowRect(owner, &around);
        else
            SystemParametersInfoA(SPI_GETWORKAREA, 0, &around, 0);
        DialogScript script([&] {
            HWND options = DialogScript::Find(OptionsTitle);
            if (options == nullptr)
                return true;
            GetWindowRect(options, &frame);
            GetClientRect(options, &client);
            GetWindowRect(GetDlgItem(options, IDC_AUTO_START), &box);
            MapWindowPoints(nullptr, options, reinterpret_cast<POINT*>(&box), 2);
            cut = CutTexts(options);
            PostMessageA(options, WM_COMMAND, IDCANCEL, 0);
            return false;
        });
        ShowOptionsDialog(owner, nullptr);
        EXPECT_LE(std::abs((frame.left + frame.right) - (around.left + around.right)), 2);
        EXPECT_LE(std::abs((frame.top + frame.bottom) - (around.top + around.bottom)), 2);
        EXPECT_LT(box.top * 12, client.bottom) << "no empty band above the first box";
        EXPECT_EQ(cut, std::vector<std::string>{});
    }
    SettingsPath[0] = '\0';
}

} // namespace
