// The Options dialog: start Kivora at logon, by a shortcut in the Startup
// folder; the strokes per program recorded or not, and deleted.
#include <windows.h>

#include "options/options_dialog.h"
#include "options/settings_file.h"
#include "options/shell_link.h"
#include "res/resource.h"
#include "win/ansi_text.h"
#include "win/app_text.h"
#include "win/modal_ui.h"

namespace {

// Kept only while the dialog is up: its launcher's argument.
bool (*ForgetPrograms)() = nullptr;

// Only a change is written: a set.ini of someone who never used the option
// stays as it was.
void ApplyProgramsOption(HWND dialog)
{
    bool wanted = IsDlgButtonChecked(dialog, IDC_RECORD_PROGRAMS) == BST_CHECKED;
    if (wanted == RecordPrograms)
        return;
    RecordPrograms = wanted;
    WriteProgramsSetting();
}

// Deleted at once, after a question; turning the option off is apart.
void OnForgetPrograms(HWND dialog)
{
    if (ShowMessage(dialog, "このユーザーのアプリごとの打鍵数の記録を削除します。よろしいですか？", "注意",
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (ForgetPrograms != nullptr && !ForgetPrograms())
        ShowMessage(dialog,
                    "アプリごとの打鍵数の記録を削除できませんでした。ほかのアプリが開いていれば閉じてから、"
                    "やり直してください。",
                    AppText::ErrorCaption, MB_OK | MB_ICONWARNING);
}

void OnOk(HWND dialog)
{
    bool wanted = IsDlgButtonChecked(dialog, IDC_AUTO_START) == BST_CHECKED;
    char shortcut[PathCapacity];
    bool haveShortcut = StartupShortcutPath(dialog, shortcut);
    if (wanted) {
        // A program path that does not fit would leave a shortcut to an old
        // or empty target: nothing is changed instead.
        char target[PathCapacity];
        if (!CopyIfFits(target, sizeof target, AppFolder) || !AppendIfFits(target, sizeof target, "\\Kivora.exe")) {
            ShowMessage(dialog, "ショートカット作成失敗", nullptr, MB_OK);
            EndDialog(dialog, IDCANCEL);
            return;
        }
        CopyIfFits(StartupTarget, sizeof StartupTarget, target);
        // A failure has shown its own message; the setting is written all the same.
        if (haveShortcut)
            CreateShortcut(shortcut, StartupTarget, dialog);
        else
            ShowMessage(dialog, "ショートカット作成失敗", nullptr, MB_OK);
    } else if (haveShortcut) {
        DeleteFileA(shortcut);   // a missing shortcut is no error
    }
    AutoStart = wanted ? 1 : 0;
    WriteSettings(AutoStart, StartupTarget);
    ApplyProgramsOption(dialog);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        if (AutoStart == 1)
            CheckDlgButton(dialog, IDC_AUTO_START, BST_CHECKED);
        if (RecordPrograms)
            CheckDlgButton(dialog, IDC_RECORD_PROGRAMS, BST_CHECKED);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOk(dialog);
            return TRUE;
        case IDCANCEL:   // also the close box, turned into IDCANCEL by the dialog manager
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        case IDC_FORGET_PROGRAMS:
            OnForgetPrograms(dialog);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

void ShowOptionsDialog(HWND owner, bool (*forgetPrograms)())
{
    ForgetPrograms = forgetPrograms;
    RunDialog(owner, IDD_OPTIONS, OptionsDialogProc);
    ForgetPrograms = nullptr;
}
