// The login dialog: lists the users found in the data folder, logs one in,
// or leads to the registration of a new one.
#include <windows.h>

#include <cstring>

#include "login/login_dialog.h"
#include "login/new_user_dialog.h"
#include "options/settings_file.h"
#include "res/resource.h"
#include "store/user_data.h"
#include "users/user_list.h"
#include "win/app_text.h"
#include "win/main_window_frame.h"
#include "win/modal_ui.h"

namespace {

// The last login dialog ended with a user registered.
bool Registered = false;

constexpr size_t ListTextCapacity = 79;   // the list's text: at most 78 characters

void FillUserList(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_USER_LIST);
    int count = ListUserFiles();
    // Explicit positions keep the folder's order; the sorted style has no say.
    for (int i = 0; i < count; ++i)
        SendMessageA(list, CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(UserNames[i]));
    SelectedUser = static_cast<int>(SendMessageA(list, CB_SETCURSEL, LastSelection, 0));
}

void OnInitDialog(HWND dialog)
{
    WorkOutAppFolder();
    WorkOutSettingsPath(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)));
    LineUpAutoStart();
    ReadProgramsSetting();
    EnsureSettingsFile();
    FillUserList(dialog);
}

void OnSelectionChange(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_USER_LIST);
    LastSelection = static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0));
    SelectedUser = static_cast<int>(SendMessageA(list, CB_SETCURSEL, LastSelection, 0));
}

void LogInAtStartUp(HWND dialog)
{
    char text[ListTextCapacity] = "";
    GetDlgItemTextA(dialog, IDC_USER_LIST, text, sizeof text);
    if (text[0] == '\0') {
        ShowMessage(dialog, "ユーザーが存在しません。新規作成でユーザー登録を行ってください。",
                    AppText::WarningCaption, MB_OK);
        return;
    }
    // A refused file has been explained in a box owned by this dialog, which
    // stays disabled meanwhile; the user then chooses again rather than
    // counting for nobody.
    if (LoadUserData(MainWindow, dialog) != 0)
        return;
    EndDialog(dialog, IDOK);
}

void LogInAgain(HWND dialog)
{
    // With no entry selected, or the user in memory chosen, nothing is loaded:
    // the current user stays logged in.
    if (SelectedUser >= 0 && std::strcmp(UserFiles[SelectedUser], CurrentUserFile) != 0)
        LoadUserData(MainWindow, dialog);
    EndDialog(dialog, IDOK);
}

void OnNewUser(HWND dialog)
{
    NewUserPending = 0;
    // Decided on the dialog's own result: the polling thread clears
    // NewUserPending as soon as the first lowercase letter is counted.
    if (ShowNewUserDialog(dialog)) {
        Registered = true;
        EndDialog(dialog, IDOK);
    }
}

void OnCancel(HWND dialog)
{
    if (ReloginFlag == 0) {
        // The modal loop ends on the quit request and hands it on, so the
        // message loop ends at once and the program exits.
        PostQuitMessage(0);
        return;
    }
    EndDialog(dialog, IDCANCEL);
}

INT_PTR CALLBACK LoginDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_USER_LIST:
            if (HIWORD(wParam) == CBN_SELCHANGE)
                OnSelectionChange(dialog);
            return TRUE;
        case IDOK:
            if (ReloginFlag == 0)
                LogInAtStartUp(dialog);
            else
                LogInAgain(dialog);
            return TRUE;
        case IDC_NEW_USER:
            OnNewUser(dialog);
            return TRUE;
        case IDCANCEL:   // also the close box, turned into IDCANCEL by the dialog manager
            OnCancel(dialog);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

bool ShowLoginDialog(HWND owner)
{
    Registered = false;
    return RunDialog(owner, IDD_LOGIN, LoginDialogProc) == IDOK;
}

bool RegisteredAtLastLogin() { return Registered; }
