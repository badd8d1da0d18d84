// The question when the save before a log-off or exit fails: try again, stay,
// or leave without saving. A dialog of its own, so that the buttons say what
// they do on every system (a message box's stock labels differ between them).
#include <windows.h>

#include "app/save_question.h"
#include "res/resource.h"
#include "store/user_data.h"
#include "win/modal_ui.h"
#include "win/notices.h"

namespace {

struct Wording {
    const char* text;
    const char* leaveButton;
};

constexpr Wording AtExit = {
    "打鍵数を保存できませんでした。\n\n"
    "ディスクの空きと、データファイルが読み取り専用になっていないかを確かめてから、"
    "「再試行」を押してください。\n"
    "「キャンセル」を押すと、終了せずにKivoraを動かし続けます。\n"
    "保存せずに終了すると、最後に保存できたときから後の打鍵数は失われます。",
    "保存せずに終了(&E)",
};
constexpr Wording AtLogOff = {
    "打鍵数を保存できませんでした。\n\n"
    "ディスクの空きと、データファイルが読み取り専用になっていないかを確かめてから、"
    "「再試行」を押してください。\n"
    "「キャンセル」を押すと、ログオフせずに、このユーザーのまま続けます。\n"
    "保存せずにログオフすると、最後に保存できたときから後の打鍵数は失われます。",
    "保存せずにログオフ(&L)",
};

INT_PTR CALLBACK SaveQuestionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        const Wording& wording = static_cast<Leaving>(lParam) == Leaving::Exit ? AtExit : AtLogOff;
        SetDlgItemTextA(dialog, IDC_SAVE_QUESTION_TEXT, wording.text);
        SetDlgItemTextA(dialog, IDCONTINUE, wording.leaveButton);
        SendDlgItemMessageA(dialog, IDC_SAVE_QUESTION_ICON, STM_SETICON,
                            reinterpret_cast<WPARAM>(LoadIcon(nullptr, IDI_WARNING)), 0);
        MessageBeep(MB_ICONWARNING);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDTRYAGAIN:
        case IDCONTINUE:
        case IDCANCEL:   // also the close box and Escape: stay
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

int AskAfterFailedSave(HWND owner, Leaving leaving)
{
    return static_cast<int>(RunDialog(owner, IDD_SAVE_QUESTION, SaveQuestionProc, static_cast<LPARAM>(leaving)));
}

bool SaveBeforeLeaving(HWND owner, Leaving leaving)
{
    for (;;) {
        bool saved = SaveUserData() == 0;
        NoteSaveResult(saved);
        if (saved)
            return true;
        switch (AskAfterFailedSave(owner, leaving)) {
        case IDTRYAGAIN:
            continue;
        case IDCONTINUE:
            return true;
        default:   // Cancel, the close box, Escape: stay
            return false;
        }
    }
}
