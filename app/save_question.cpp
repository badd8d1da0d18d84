// The question when the save before a log-off or exit fails (the data file,
// or the history held by another program): try again, stay, or leave
// without saving. A dialog of its own, so that the buttons say what they do
// on every system (a message box's stock labels differ between them).
#include <windows.h>

#include <string>

#include "app/save_question.h"
#include "res/resource.h"
#include "store/user_data.h"
#include "store/user_days.h"
#include "store/user_keys.h"
#include "win/modal_ui.h"
#include "win/notices.h"

namespace {

// What could not be saved: the data file, the keys file, the days (the
// history held by another program, or no file that could take them).
struct Failure {
    bool dataFile = false;
    std::string keys;               // the keys file's name, when it could not be written
    LeavingRisk days;
    std::string history, pending;   // the files' names
};

struct Wording {
    const char* stay;
    const char* leaving;    // the losing button's effect, up to what it loses
    const char* daysWait;   // %s: the pending file's name
    const char* losingButton;
    const char* keepingButton;
};

// What leaving loses, since the last save that worked: the counts (the data
// file's, and with them every key's), or only the other keys' (the 77 keys
// are safe in the data file), and the days.
constexpr char CountsLost[] = "打鍵数";
constexpr char OtherKeysLost[] = "、77 キー以外のキー（スペース、Enter など）の打鍵数";
constexpr char DaysLost[] = "日ごとの打鍵数";
constexpr char SeventySevenKept[] = "77 キーの打鍵数はデータファイルに保存してあります。";

constexpr char DataFileFailed[] =
    "打鍵数をデータファイルに保存できませんでした。\n\n"
    "ディスクに空きがあること、データファイルが読み取り専用でないことを確かめてから、"
    "［再試行］を押してください。\n";
constexpr char KeysHeldText[] =   // %s: the keys file's name
    "すべてのキーの記録ファイル（%s）に書き込めませんでした。\n\n"
    "表計算ソフトなど、このファイルを開いているアプリを閉じるか、読み取り専用を解除してから、"
    "［再試行］を押してください。\n";
constexpr char HistoryHeldText[] =   // %s: the history's name
    "日ごとの記録ファイル（%s）に書き込めませんでした。\n\n"
    "表計算ソフトなど、このファイルを開いているアプリを閉じるか、読み取り専用を解除してから、"
    "［再試行］を押してください。\n";
constexpr char HistoryHeldTooText[] =   // %s: the history's name
    "日ごとの記録ファイル（%s）にも書き込めませんでした。開いているアプリがあれば閉じてください。\n";
constexpr char PendingHeldText[] =   // %s: the pending file's name
    "日ごとの打鍵数の保留ファイル（%s）にも書き込めませんでした。"
    "開いているアプリがあれば閉じてください。\n";

constexpr Wording AtExit = {
    "［キャンセル］を押すと、終了せずに Kivora を動かし続けます。\n",
    "［保存せずに終了］を押すと、最後に保存できたとき以降の",
    "［このまま終了］を押しても、失われるものはありません。打鍵数はデータファイルに保存してあり、日ごとの打鍵数は"
    " %s に残って、日ごとの記録ファイルに書き込めるようになったときに加えられます。",
    "保存せずに終了(&E)",
    "このまま終了(&E)",
};
constexpr Wording AtLogOff = {
    "［キャンセル］を押すと、ログオフせずに、このユーザーのまま続けます。\n",
    "［保存せずにログオフ］を押すと、最後に保存できたとき以降の",
    "［このままログオフ］を押しても、失われるものはありません。打鍵数はデータファイルに保存してあり、日ごとの打鍵数は"
    " %s に残って、日ごとの記録ファイルに書き込めるようになったときに加えられます。",
    "保存せずにログオフ(&L)",
    "このままログオフ(&L)",
};

// The format with its one %s replaced by name.
std::string Formatted(const char* format, const std::string& name)
{
    std::string text = format;
    std::size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, name);
    return text;
}

bool LosesSomething(const Failure& failure)
{
    return failure.dataFile || !failure.keys.empty() || failure.days.daysLost;
}

bool MustAsk(const Failure& failure) { return LosesSomething(failure) || MustAskBeforeLeaving(failure.days); }

std::string QuestionText(const Failure& failure, const Wording& wording)
{
    std::string text;
    if (failure.dataFile)
        text = DataFileFailed;
    else if (!failure.keys.empty())
        text = Formatted(KeysHeldText, failure.keys);
    if (failure.days.historyHeld)
        text += Formatted(failure.dataFile || !failure.keys.empty() ? HistoryHeldTooText : HistoryHeldText, failure.history);
    if (failure.days.pendingHeld && failure.days.daysLost)
        text += Formatted(PendingHeldText, failure.pending);
    text += wording.stay;
    if (!LosesSomething(failure))
        return text + Formatted(wording.daysWait, failure.pending);
    // One sentence for all that is lost.
    text += wording.leaving;
    bool onlyOtherKeys = !failure.dataFile && !failure.keys.empty();
    if (failure.dataFile)
        text += CountsLost;
    else if (onlyOtherKeys)
        text += OtherKeysLost;
    if (failure.days.daysLost)
        text += std::string(failure.dataFile || onlyOtherKeys ? "と" : "") + DaysLost;
    text += "が失われます。";
    if (onlyOtherKeys)
        text += SeventySevenKept;
    return text;
}

struct Question {
    Leaving leaving;
    Failure failure;
};

// The text's own height at the dialog's font; the buttons and the dialog
// follow it, so that a longer question is shown whole.
void FitTextHeight(HWND dialog)
{
    HWND label = GetDlgItem(dialog, IDC_SAVE_QUESTION_TEXT);
    RECT box;
    GetWindowRect(label, &box);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    char text[1024];
    GetWindowTextA(label, text, sizeof text);
    HDC dc = GetDC(label);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
    RECT needed = {0, 0, box.right - box.left, 0};
    DrawTextA(dc, text, -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, font);
    ReleaseDC(label, dc);
    int grow = needed.bottom - (box.bottom - box.top);
    if (grow <= 0)
        return;
    SetWindowPos(label, nullptr, 0, 0, box.right - box.left, needed.bottom, SWP_NOMOVE | SWP_NOZORDER);
    for (int button : {IDTRYAGAIN, IDCONTINUE, IDCANCEL}) {
        HWND control = GetDlgItem(dialog, button);
        RECT place;
        GetWindowRect(control, &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        SetWindowPos(control, nullptr, place.left, place.top + grow, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    RECT frame;
    GetWindowRect(dialog, &frame);
    SetWindowPos(dialog, nullptr, frame.left, frame.top - grow / 2, frame.right - frame.left,
                 frame.bottom - frame.top + grow, SWP_NOZORDER);
}

INT_PTR CALLBACK SaveQuestionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        const auto& question = *reinterpret_cast<const Question*>(lParam);
        const Wording& wording = question.leaving == Leaving::Exit ? AtExit : AtLogOff;
        SetDlgItemTextA(dialog, IDC_SAVE_QUESTION_TEXT, QuestionText(question.failure, wording).c_str());
        SetDlgItemTextA(dialog, IDCONTINUE,
                        LosesSomething(question.failure) ? wording.losingButton : wording.keepingButton);
        SendDlgItemMessageA(dialog, IDC_SAVE_QUESTION_ICON, STM_SETICON,
                            reinterpret_cast<WPARAM>(LoadIcon(nullptr, IDI_WARNING)), 0);
        FitTextHeight(dialog);
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

int Ask(HWND owner, const Question& question)
{
    return static_cast<int>(
        RunDialog(owner, IDD_SAVE_QUESTION, SaveQuestionProc, reinterpret_cast<LPARAM>(&question)));
}

} // namespace

bool SaveBeforeLeaving(HWND owner, Leaving leaving)
{
    for (;;) {
        Question question{leaving, {}};
        question.failure.dataFile = SaveUserData(SaveKind::Leaving) != 0;
        NoteSaveResult(!question.failure.dataFile);
        question.failure.keys = UnsavedKeysName();
        // Days that the history cannot take now wait in the pending file; the
        // user is asked all the same, and told which file is held.
        question.failure.days = HistoryRisk(question.failure.history, question.failure.pending);
        if (!MustAsk(question.failure))
            return true;
        switch (Ask(owner, question)) {
        case IDTRYAGAIN:
            continue;
        case IDCONTINUE:
            return true;
        default:   // Cancel, the close box, Escape: stay
            return false;
        }
    }
}
