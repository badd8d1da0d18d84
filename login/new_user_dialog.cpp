// The new-user dialog: takes a name, refuses what cannot or must not become a
// user's data file, creates the file with zero counts and logs the user in.
#include <windows.h>

#include <cstring>

#include "store/user_days.h"
#include "login/new_user_dialog.h"
#include "res/resource.h"
#include "store/user_data.h"
#include "store/user_record.h"
#include "users/user_list.h"
#include "win/ansi_text.h"
#include "win/app_text.h"
#include "win/main_window_frame.h"
#include "win/modal_ui.h"

namespace {

constexpr char AlreadyRegistered[] = "そのユーザー名はすでに登録されています。";

const char* RefusalOf(NameCheck check)
{
    switch (check) {
    case NameCheck::Accepted:
        return nullptr;
    case NameCheck::Empty:
        return "ユーザー名が入力されていません";
    case NameCheck::ForbiddenCharacter:
        return "ユーザー名に次の文字は使えません。\n\\ / : * ? \" < > |";
    case NameCheck::ContainsDot:
        return "ユーザー名に「.」（ピリオド）は使えません。";
    case NameCheck::TrailingBlank:
        return "ユーザー名の最後に空白は使えません。";
    case NameCheck::ReservedDeviceName:
        return "この名前は Windows が予約しているため、ユーザー名に使えません。";
    }
    return nullptr;
}

bool PathUnder(char (&path)[PathCapacity], const char* relative)
{
    return CopyIfFits(path, sizeof path, AppFolder) && AppendIfFits(path, sizeof path, relative);
}

// The file system ignores letter case: "Taro" would open taro.dat.
bool DataFileExists(const char* name)
{
    char path[PathCapacity];
    return PathUnder(path, "\\data\\") && AppendIfFits(path, sizeof path, name) &&
           AppendIfFits(path, sizeof path, ".dat") && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

void EnsureDataFolder()
{
    char folder[PathCapacity];
    if (PathUnder(folder, "\\data") && GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES)
        CreateDirectoryA(folder, nullptr);
}

void OnRegister(HWND dialog)
{
    char typed[1024] = "";
    GetDlgItemTextA(dialog, IDC_USER_NAME, typed, sizeof typed);
    TakeNewUserName(typed, NewUserName);

    if (const char* refusal = RefusalOf(CheckNewUserName(NewUserName))) {
        ShowMessage(dialog, refusal, AppText::WarningCaption, MB_OK);
        return;
    }
    if (IsListedUserName(UserFiles, UserNames, NewUserName) || DataFileExists(NewUserName)) {
        ShowMessage(dialog, AlreadyRegistered, AppText::WarningCaption, MB_OK);
        return;
    }

    EnsureDataFolder();
    ResetMode = 0;
    if (ResetUserData(MainWindow) != 0) {
        bool exists = DataFileExists(NewUserName);
        ShowMessage(dialog,
                    exists ? AlreadyRegistered
                           : "ユーザーのデータファイルを作成できませんでした。"
                             "data フォルダーに書き込めるかを確かめてください。",
                    AppText::WarningCaption, MB_OK);
        return;
    }

    NewUserPending = 1;
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK NewUserDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnRegister(dialog);
            return TRUE;
        case IDCANCEL:   // also the close box, turned into IDCANCEL by the dialog manager
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

bool ShowNewUserDialog(HWND owner)
{
    return RunDialog(owner, IDD_NEW_USER, NewUserDialogProc) == IDOK;
}

void RunRegistrationCheck()
{
    if (NewUserPending != 1)
        return;
    bool anyLowercase = false;
    for (int slot = 0; slot < LetterCount && !anyLowercase; ++slot)
        anyLowercase = Counters.LowercaseGroup.keys[slot].count.value.load() != 0;
    if (!anyLowercase)
        return;
    ResetMode = 1;
    ResetUserData(MainWindow);
    // What was counted since the registration is dropped from the day too:
    // a new user's history starts empty.
    DropHistoryDay(AllTimeCounts());
    NewUserPending = 0;
}
