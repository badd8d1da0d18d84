#pragma once
// This PC's counts and days shared with the user's other PCs through a folder
// that the user's sync engine keeps the same on every PC (set.ini SYNC).
// After each login and save a worker thread copies the logged-in user's
// history, pending, keys, apps and shortcuts files under this PC's name
// (pc_files.h) into <folder>\<user>\ and reads the other PCs' files there;
// the windows add what it last read. What it read past a limit is told once
// on the icon. The interface thread never waits on the folder (a share that
// is offline may take half a minute to say so), but at exit, for a moment.
// A folder that stays unusable is told once on the icon; a local file is
// never changed by any of this.
#include <vector>

#include "history/app_days.h"
#include "history/day_range.h"
#include "history/history_book.h"

// After each login, registration and save (the store's follower): the worker
// copies and reads for that user. Also after the folder was chosen anew.
void ShareUserFiles(const char* dataFilePath, const char* userFile);
// At exit, after the last save: waits a moment for its copy to be written.
void FinishSharing();

// Whether a folder is set, as the last call of ShareUserFiles found it.
bool SharingOn();
// Rises whenever what was read of the other PCs changes.
unsigned OtherPcsVersion();

// This PC's figures with the other PCs' added, as last read for the
// logged-in user (this PC's alone while sharing is off or nothing is read).
// The days are added in place when every date is there already.
std::vector<HistoryDay> WithOtherPcsDays(std::vector<HistoryDay> days);
// use(more) with the other PCs' days to add (none when there are none to
// add), held for the call: what makes a series of the days adds them as it
// goes, rather than in a pass of its own.
void UseOtherPcsDays(void (*use)(const DaysToAdd* more, void* context), void* context);
template <typename Use>
void WithOtherPcsDaysToAdd(Use use)
{
    UseOtherPcsDays([](const DaysToAdd* more, void* context) { (*static_cast<Use*>(context))(more); }, &use);
}
HistoryPeriods WithOtherPcsPeriods(HistoryPeriods periods, const LocalDate& today);
HistoryCounts WithOtherPcsAllTime(HistoryCounts allTime);
AppCounts WithOtherPcsApps(AppCounts apps, const DateRange& range);
// The shortcuts over the range (CurrentShortcutStrokes) with the other PCs' added.
AppCounts WithOtherPcsShortcuts(AppCounts shortcuts, const DateRange& range);
