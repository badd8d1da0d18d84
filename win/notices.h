#pragma once
// What the user is told on the notification-area icon, once per run of
// failures of each kind. Told by whoever meets the failure; shown by the
// icon, or as soon as there is one.
#include <string_view>

// Registered: after a registration at start, where Kivora went (a new icon
// goes to the hidden part of the notification area on Windows 10 and 11).
// SyncPastLimits: a file of the shared folder, or part of one, was past
// what Kivora reads of it.
enum class Notice {
    SaveFailed,
    ClockFailed,
    HistoryFailed,
    HistoryFull,
    DaysUnsaved,
    KeysUnsaved,
    SyncFailed,
    SyncPastLimits,
    Registered,
    Count
};
void NoteOutcome(Notice notice, bool succeeded);
// Tells a notice now (or as soon as there is an icon), whatever came before.
void TellNotice(Notice notice);
void NoteSaveResult(bool saved);
// The logged-in user's data file name (taro.dat): the notices name the
// user's files after it.
void NameNoticeFiles(std::string_view dataFileName);

// How the icon shows a notice: true when shown. The icon sets it while it is
// there and clears it (null) when it goes; notices that could not be shown
// are shown when it is set again.
using NoticeBalloon = bool (*)(const char* title, const char* text);
void SetNoticeBalloon(NoticeBalloon balloon);
