#include "win/notices.h"

#include <iterator>
#include <string>

namespace {

struct NoticeText {
    const char* title;
    const char* text;   // %s: the user's file names without their endings
};

// A balloon's title holds 63 bytes and its text 255 (code page 932); what
// does not fit is cut off by the shell. Each text keeps room for a file
// name of NoticeNameRoom bytes wherever it names one.
constexpr std::size_t BalloonTitleCapacity = 64;
constexpr std::size_t BalloonTextCapacity = 256;
constexpr std::size_t NoticeNameRoom = 32;

constexpr NoticeText Texts[] = {
    {"Kivora: 保存できませんでした",
     "打鍵数をデータファイル（%s.dat）に保存できませんでした。ディスクの空きと、ファイルが読み取り専用でないことを"
     "確かめてください。打鍵数はメモリに残っており、1 分ごとに保存をやり直します。"},
    {"Kivora: 起動時間を数えられません",
     "起動時間を数える 1 秒ごとのタイマーを開始できませんでした。タイマーが動き出すまで、起動時間は進まず、"
     "1 分ごとの保存も行われません。打鍵数は数え続けており、タイマーの開始をやり直しています。"},
    {"Kivora: 日ごとの記録を保存できません",
     "日ごとの記録ファイル（%s.history.csv）を読み書きできません。開いているアプリがあれば閉じてください。"
     "それまでの日ごとの打鍵数は保留ファイル（%s.history.pending）に保存し、あとで加えます。"},
    {"Kivora: 日ごとの記録が 16 MB に達しました",
     "日ごとの記録ファイル（%s.history.csv）が上限の 16 MB に達したため、書き足せません。これまでの記録は"
     "そのまま残ります。新しい日ごとの打鍵数は %s.history.pending に保存するので、失われません。"},
    {"Kivora: 日ごとの打鍵数を保存できません",
     "%s.history.csv にも %s.history.pending にも書き込めません。開いているアプリがあれば閉じてください。"
     "日ごとの打鍵数はメモリに残っており、1 分ごとに保存をやり直します。"},
    {"Kivora: すべてのキーの記録を保存できません",
     "すべてのキーの記録ファイル（%s.keys.csv）に書き込めません。開いているアプリがあれば閉じてください。"
     "打鍵数はメモリに残っており、1 分ごとに保存をやり直します。"},
    {"Kivora: 記録を共有するフォルダーに書き込めません",
     "オプションで選んだ記録を共有するフォルダーに、この PC の記録を書き込めません。フォルダーのあるドライブや"
     "ネットワークにつながっているかを確かめてください。この PC の記録は data フォルダーに保存しており、"
     "保存のたびに書き込みをやり直します。"},
    {"Kivora: 記録を共有するフォルダーの一部を読み込みません",
     "記録を共有するフォルダーに、Kivora が読む上限を超えるファイルや記録があるため、その分はほかの PC の記録に"
     "加えていません（PC は 16 台まで、日は過去 20 年から明日まで など）。読めた分は加えています。"},
    {"Kivora は通知領域で数えています",
     "タスクバーの右端、時計の近くにある Kivora のアイコンをクリックすると、ウィンドウが開きます。"
     "アイコンが見えないときは、通知領域の「^」を押してください。右クリックでメニューが開きます。"},
};

static_assert(std::size(Texts) == static_cast<std::size_t>(Notice::Count), "a text for every notice");

constexpr bool FitsBalloon(const NoticeText& notice)
{
    std::size_t title = 0;
    while (notice.title[title] != '\0')
        ++title;
    std::size_t text = 0, names = 0;
    for (const char* at = notice.text; *at != '\0'; ++at, ++text)
        names += at[0] == '%' && at[1] == 's';
    return title < BalloonTitleCapacity && text - 2 * names + names * NoticeNameRoom < BalloonTextCapacity;
}

constexpr bool AllFitBalloons()
{
    for (const NoticeText& notice : Texts) {
        if (!FitsBalloon(notice))
            return false;
    }
    return true;
}

static_assert(AllFitBalloons(), "every notice is shown whole, with a file name of NoticeNameRoom bytes");

struct NoticeState {
    bool failing = false;   // in a run of failures, told (or to be told) once
    bool pending = false;   // not told yet: there was no icon to tell it on
};

NoticeState States[std::size(Texts)];
std::string FileStem = "*";
NoticeBalloon Balloon = nullptr;

std::string TextOf(const NoticeText& notice)
{
    std::string text = notice.text;
    for (std::size_t at = text.find("%s"); at != std::string::npos; at = text.find("%s", at + FileStem.size()))
        text.replace(at, 2, FileStem);
    return text;
}

void Tell(int kind)
{
    States[kind].pending = Balloon == nullptr || !Balloon(Texts[kind].title, TextOf(Texts[kind]).c_str());
}

} // namespace

void NameNoticeFiles(std::string_view dataFileName)
{
    std::string_view stem = dataFileName.substr(0, dataFileName.rfind('.'));
    // A longer name would push the end of the text out of the balloon.
    FileStem = !stem.empty() && stem.size() <= NoticeNameRoom ? std::string(stem) : std::string("*");
}

void NoteOutcome(Notice kind, bool succeeded)
{
    NoticeState& notice = States[static_cast<int>(kind)];
    if (succeeded) {
        notice.failing = false;
        notice.pending = false;
        return;
    }
    if (notice.failing)
        return;   // told once per run of failures, not every minute
    notice.failing = true;
    Tell(static_cast<int>(kind));
}

void NoteSaveResult(bool saved) { NoteOutcome(Notice::SaveFailed, saved); }

void TellNotice(Notice kind) { Tell(static_cast<int>(kind)); }

void SetNoticeBalloon(NoticeBalloon balloon)
{
    Balloon = balloon;
    for (std::size_t kind = 0; kind < std::size(States); ++kind) {
        if (States[kind].pending)
            Tell(static_cast<int>(kind));
    }
}
