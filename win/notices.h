#pragma once
// What the user is told on the notification-area icon, once per run of
// failures of each kind. Told by whoever meets the failure; shown by the
// icon, or as soon as there is one.
#include <string_view>

enum class Notice { SaveFailed, ClockFailed, HistoryFailed, HistoryFull, DaysUnsaved, KeysUnsaved, SyncFailed, SyncPastLimits,
                    Count };
void NoteOutcome(Notice notice, bool succeeded);
void NoteSaveResult(bool saved);
// The logged-in user's data file name (taro.dat): the notices name the
// user's files after it.
void NameNoticeFiles(std::string_view dataFileName);

// How the icon shows a notice: true when shown. The icon sets it while it is
// there and clears it (null) when it goes; notices that could not be shown
// are shown when it is set again.
using NoticeBalloon = bool (*)(const char* title, const char* text);
void SetNoticeBalloon(NoticeBalloon balloon);
