// The Options dialog: start Kivora at logon, by a shortcut in the Startup
// folder; the strokes per program recorded or not, and deleted; the folder a
// sync engine shares between the user's PCs.
#include <windows.h>

#include <algorithm>
#include <string>

#include "options/options_dialog.h"
#include "options/settings_file.h"
#include "options/shell_link.h"
#include "options/sync_setting.h"
#include "res/resource.h"
#include "win/ansi_text.h"
#include "win/app_text.h"
#include "win/modal_ui.h"
#include "win/save_as_dialog.h"
#include "win/wide_text.h"

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
    if (ShowMessage(dialog,
                    "このユーザーのアプリごとの打鍵数の記録を削除します。削除した記録は元に戻せません。"
                    "よろしいですか？",
                    "注意", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    if (ForgetPrograms != nullptr && !ForgetPrograms())
        ShowMessage(dialog,
                    "アプリごとの打鍵数の記録を削除できませんでした。ほかのアプリが開いていれば閉じてから、"
                    "やり直してください。",
                    AppText::ErrorCaption, MB_OK | MB_ICONWARNING);
}

bool SyncFolderChanged = false;

// How long OK waits for the folder to answer: a share that is offline may
// take half a minute to say so, and the dialog must not freeze meanwhile.
constexpr DWORD FolderAnswerMs = 1000;

enum class FolderFound { Folder, NotFolder, NoAnswer };

// The folder looked at on a thread of its own; the last of the two to be
// done with the question frees it.
struct FolderQuestion {
    char path[PathCapacity];
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    LONG holders = 2;
};

void LetGo(FolderQuestion* question)
{
    if (InterlockedDecrement(&question->holders) == 0)
        delete question;
}

DWORD WINAPI LookAtFolder(LPVOID parameter)
{
    auto* question = static_cast<FolderQuestion*>(parameter);
    question->attributes = GetFileAttributesA(question->path);
    LetGo(question);
    return 0;
}

// A folder that does not answer within FolderAnswerMs is taken as it is:
// the worker looks at it at each save, and the icon tells when it stays
// unusable.
FolderFound FindFolder(const std::string& folder)
{
    auto* question = new FolderQuestion;
    CopyIfFits(question->path, sizeof question->path, folder.c_str());
    HANDLE thread = CreateThread(nullptr, 0, LookAtFolder, question, 0, nullptr);
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    if (thread == nullptr) {
        attributes = GetFileAttributesA(question->path);   // no thread: asked here, as before
        delete question;
    } else {
        const bool answered = WaitForSingleObject(thread, FolderAnswerMs) == WAIT_OBJECT_0;
        CloseHandle(thread);
        if (answered)
            attributes = question->attributes;   // written before the thread ended
        LetGo(question);
        if (!answered)
            return FolderFound::NoAnswer;
    }
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FolderFound::Folder
                                                                                             : FolderFound::NotFolder;
}

void OnBrowse(HWND dialog)
{
    char path[MAX_PATH];
    if (AskFolderPath(dialog, path))
        SetDlgItemTextA(dialog, IDC_SYNC_FOLDER, path);
}

// The shared folder's field written to set.ini when it changed. False, after
// telling why, when it names no folder that can be used; the dialog stays.
bool ApplySyncFolder(HWND dialog)
{
    wchar_t field[MAX_PATH] = L"";
    GetDlgItemTextW(dialog, IDC_SYNC_FOLDER, field, MAX_PATH);
    // Trimmed as wide text: in code page 932 a '\' may be half of a character.
    std::wstring wide = field;
    wide.erase(0, std::min(wide.find_first_not_of(L' '), wide.size()));
    while (!wide.empty() && wide.back() == L' ')
        wide.pop_back();
    // "D:\" stays a drive's root; "D:\Sync\" is "D:\Sync".
    if (wide.size() > 3 && wide.back() == L'\\')
        wide.pop_back();
    const bool absolute = (wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\') || wide.starts_with(L"\\\\");
    std::string folder;
    const char* problem = nullptr;
    if (!CodePageFromWide(wide.c_str(), folder)) {
        problem = "記録を共有するフォルダーの名前に、Kivora が扱えない文字があります。";
    } else if (folder.size() > LongestSyncFolder) {
        problem = "記録を共有するフォルダーの場所が長すぎます。もっと短い場所のフォルダーを選んでください。";
    } else if (!folder.empty() && !absolute) {
        // A place relative to Kivora's own current folder means nothing to the user.
        problem = "記録を共有するフォルダーは、D:\\Sync\\Kivora や \\\\サーバー\\共有\\Kivora のように、"
                  "ドライブかネットワークの場所から書いてください。［参照...］で選ぶこともできます。";
    } else if (!folder.empty() && FindFolder(folder) == FolderFound::NotFolder) {
        // Looked for off the interface thread, a moment at most: a share that
        // does not answer is taken as typed, and the worker tells it later.
        problem = "記録を共有するフォルダーが見つかりません。［参照...］で、すでにあるフォルダーを選んでください。";
    }
    if (problem != nullptr) {
        ShowMessage(dialog, problem, AppText::WarningCaption, MB_OK | MB_ICONWARNING);
        SetFocus(GetDlgItem(dialog, IDC_SYNC_FOLDER));
        return false;
    }
    char before[PathCapacity];
    ReadSyncFolder(SettingsPath, before);
    if (folder == before)
        return true;
    if (!WriteSyncFolder(SettingsPath, folder.c_str())) {
        ShowMessage(dialog, "設定ファイル（set.ini）に書き込めないため、記録を共有するフォルダーを変えられません。",
                    AppText::ErrorCaption, MB_OK | MB_ICONWARNING);
        return false;
    }
    SyncFolderChanged = true;
    return true;
}

void OnOk(HWND dialog)
{
    if (!ApplySyncFolder(dialog))
        return;
    ApplyProgramsOption(dialog);
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
    EndDialog(dialog, IDOK);
}

// Over the main window while it is shown, else in the middle of the work
// area of its monitor: never at a corner of a window the user cannot see.
void Centre(HWND dialog)
{
    HWND owner = GetWindow(dialog, GW_OWNER);
    RECT frame, around;
    GetWindowRect(dialog, &frame);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(owner != nullptr ? owner : dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    if (owner == nullptr || !IsWindowVisible(owner) || IsIconic(owner) || !GetWindowRect(owner, &around))
        around = work;
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    int x = std::clamp<int>(around.left + (around.right - around.left - width) / 2, work.left,
                            std::max<int>(work.left, work.right - width));
    int y = std::clamp<int>(around.top + (around.bottom - around.top - height) / 2, work.top,
                            std::max<int>(work.top, work.bottom - height));
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        Centre(dialog);
        if (AutoStart == 1)
            CheckDlgButton(dialog, IDC_AUTO_START, BST_CHECKED);
        if (RecordPrograms)
            CheckDlgButton(dialog, IDC_RECORD_PROGRAMS, BST_CHECKED);
        {
            char folder[PathCapacity];
            ReadSyncFolder(SettingsPath, folder);
            SetDlgItemTextA(dialog, IDC_SYNC_FOLDER, folder);
            SendDlgItemMessageA(dialog, IDC_SYNC_FOLDER, EM_LIMITTEXT, MAX_PATH - 1, 0);
        }
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
        case IDC_SYNC_BROWSE:
            OnBrowse(dialog);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

bool ShowOptionsDialog(HWND owner, bool (*forgetPrograms)())
{
    ForgetPrograms = forgetPrograms;
    SyncFolderChanged = false;
    RunDialog(owner, IDD_OPTIONS, OptionsDialogProc);
    ForgetPrograms = nullptr;
    return SyncFolderChanged;
}
