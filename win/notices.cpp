#include "win/notices.h"

#include <iterator>

namespace {

struct NoticeState {
    const char* title;
    const char* text;
    bool failing = false;   // in a run of failures, told (or to be told) once
    bool pending = false;   // not told yet: there was no icon to tell it on
};

NoticeState Notices[] = {
    {"Kivora: 保存できませんでした",
     "打鍵数をデータファイルに保存できませんでした。"
     "ディスクの空きと、ファイルが読み取り専用でないかを確かめてください。"
     "打鍵数はメモリーに残っており、1分ごとに保存をやり直します。"},
    {"Kivora: 時計を開始できませんでした",
     "稼動時間の時計（1秒ごとのタイマー）を開始できませんでした。"
     "稼動時間が進まず、1分ごとの保存も行われません。"
     "打鍵数は数え続けており、時計の開始をやり直しています。"},
    {"Kivora: 日ごとの記録を保存できません",
     "日ごとの記録ファイル（data フォルダーの *.history.csv）を読み書きできませんでした。"
     "ほかのアプリが開いていれば閉じてください。その間の日ごとの打鍵数は *.history.pending に保存し、"
     "記録ファイルを読み書きできるようになりしだい加えます。"},
    {"Kivora: 日ごとの記録がいっぱいです",
     "日ごとの記録ファイル（data フォルダーの *.history.csv）が上限の16MiBに達したため、書き足せません。"
     "これまでの記録はそのまま残し、新しい日ごとの打鍵数は *.history.pending に保存します。"},
    {"Kivora: 日ごとの打鍵数を保存できません",
     "日ごとの記録ファイル（data フォルダーの *.history.csv）にも、まだ加えていない日ごとの打鍵数のファイル"
     "（*.history.pending）にも書き込めませんでした。ほかのアプリが開いていれば閉じてください。"
     "日ごとの打鍵数はメモリに残っており、1分ごとに保存をやり直します。"},
    {"Kivora: すべてのキーの記録を保存できません",
     "すべてのキーの記録ファイル（data フォルダーの *.keys.csv）を読み書きできませんでした。"
     "ほかのアプリが開いていれば閉じてください。打鍵数はメモリーに残っており、1分ごとに保存をやり直します。"},
    {"Kivora: 記録を合わせるフォルダーに書き込めません",
     "オプションで選んだ記録を合わせるフォルダーに、この PC の記録を書き込めませんでした。"
     "フォルダーのあるドライブやネットワークにつながっているかを確かめてください。"
     "この PC の記録はこれまでどおり data フォルダーに保存しており、保存のたびに書き込みをやり直します。"},
};

static_assert(std::size(Notices) == static_cast<std::size_t>(Notice::Count), "a state for every notice");

NoticeBalloon Balloon = nullptr;

void Tell(NoticeState& notice)
{
    notice.pending = Balloon == nullptr || !Balloon(notice.title, notice.text);
}

} // namespace

void NoteOutcome(Notice kind, bool succeeded)
{
    NoticeState& notice = Notices[static_cast<int>(kind)];
    if (succeeded) {
        notice.failing = false;
        notice.pending = false;
        return;
    }
    if (notice.failing)
        return;   // told once per run of failures, not every minute
    notice.failing = true;
    Tell(notice);
}

void NoteSaveResult(bool saved) { NoteOutcome(Notice::SaveFailed, saved); }

void SetNoticeBalloon(NoticeBalloon balloon)
{
    Balloon = balloon;
    for (NoticeState& notice : Notices) {
        if (notice.pending)
            Tell(notice);
    }
}
