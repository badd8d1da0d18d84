#pragma once
// The keeper of the days: the logged-in user's history file, the file of the
// days' strokes per program (apps.csv, while they are recorded) and the
// pending file beside them, kept so that no counted stroke or second is lost
// from its day and none is counted twice, whatever holds, edits, replaces or
// refuses the files, and wherever a kill comes.
//
// What a save writes. The history and apps.csv hold the years and change
// seldom; the pending file is small and takes what changes each minute. A
// minute's save writes the running day's counts, as floors, to the pending
// file alone, as long as no earlier day is owed to the history or apps.csv:
// its cost is a day's, however many years are kept. The history (and
// apps.csv) are written whole when an earlier day is owed to them (the first
// save of a new day, a login that found days in the pending file, a reset
// of a registration's day) and at a save for leaving (quit, log-off, the end
// of the session), after which the pending file goes: the history then holds
// every day, today's too. While the history cannot be written, the pending
// file takes every owed day, as after a kill; the next login folds it in.
//
// What it keeps in memory:
//   owed    per day, what must be folded into the history file as it is on
//           disk to give the day as Kivora knows it: a floor (counts the day
//           has at least) and an add (counted on top), as the pending file
//           writes them; likewise per program for apps.csv. After a save that
//           wrote a file only the running day is owed to it, as a floor of
//           what was written: a day that Kivora is still counting keeps the
//           larger of the file's number and its own, plus what it counts
//           since. Days Kivora no longer counts keep the file's numbers,
//           whatever another program wrote.
//   book    the history as last read, with what is owed folded in and the
//           running day's counts since `start` on top: what the windows show.
//   start   the snapshot of the all-time counts (and of the strokes per
//           program since Kivora started) since which the running day's
//           counts are in neither owed nor the files.
//   apps    apps.csv as last read or written. It is read at a login and
//           written only while some day owes it strokes: while programs are
//           not recorded nothing touches it. What the history does not take
//           the apps file does not either: both wait in the pending file
//           while the history cannot be read.
//
// Each save reads the history file again when it has changed since Kivora
// last read or wrote it (its stamp: size, time, identity), folds what is
// owed into it and writes it in one step. A stamp can stay as it was through
// another program's edit (the same size within one tick of the file
// system's clock: FAT keeps two seconds), so before the history or apps.csv
// is written its bytes are compared with those last read or written too.
// Before it writes the history, a pending file with adds in it is written
// again as floors, so that a kill between the two writes neither loses nor
// doubles an add. The caller saves the days before the data file's totals:
// a kill between the two then leaves a stroke in its day, never in the
// totals alone.
//
// A file that an earlier user of a new user's name left, and that cannot be
// moved aside at the registration (another program holds it), is marked as
// such on disk (HistoryDisk::Mark) until it has been: a restart never takes
// it for the new user's.
//
// States, and the events that move between them:
//
//   Closed         nobody logged in.
//                  Login -> Leftover, PendingUnread, Waiting or Open (by what
//                  is marked and what can be read)
//                  StartNew -> Leftover or Open
//   Leftover       a new user's name has an earlier user's history, pending
//                  or apps file that could not be moved aside yet: never read
//                  or written as this user's. Save moves them aside -> Waiting,
//                  and on (as from Waiting) in the same save.
//   PendingUnread  a pending file is there that cannot be read yet (held, or
//                  opened but not read whole). Nothing is written, so that its
//                  adds are folded before anything counted after them. Save
//                  reads it -> Leftover, Waiting or Open; one that is not a pending file
//                  at all (or too large) is moved aside, one with lines that
//                  cannot be read is copied aside first.
//   Waiting        the history cannot be read now (held, not a history, too
//                  large): it is never written; each save writes what is owed
//                  to the pending file. Save reads it -> Open.
//   Open           the history has been read: each save writes the running
//                  day to the pending file, or the history whole (see above;
//                  while it cannot be replaced or would pass its size limit,
//                  every owed day to the pending file), and apps.csv when it is
//                  owed an earlier day or the save is for leaving, and can be
//                  read (else they wait in the pending file too). Save finds
//                  the history unreadable -> Waiting.
//   any            Close -> Closed.
//
// A midnight (KeepDate), a reset (Rebase) and the zeroing after a
// registration (DropToday) change what is counted, never the state.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_book.h"
#include "history/pending_history.h"

enum class DiskFile { History, Pending, Apps };

// What tells that a file changed: size, last write time and the file's
// identity (a replace by rename gives a new one).
struct FileStamp {
    uint64_t size = 0;
    uint64_t time = 0;
    uint64_t identity = 0;
    bool operator==(const FileStamp&) const = default;
};

enum class FileRead {
    Read,
    Missing,
    Held,         // another program keeps it from being opened (after a few tries)
    Unreadable,   // opened, but not read whole now (a locked range, an I/O error)
    Refused,      // larger than a history may be: no file of Kivora's
};

// A short fingerprint of a file's bytes, whole or in pieces: equal bytes,
// equal prints.
uint64_t ContentPrint(std::initializer_list<std::string_view> pieces);

// The user's files. Kivora's own goes to the data folder; the tests' keeps
// them in memory and can hold, refuse, replace or tear them at any point.
class HistoryDisk {
public:
    virtual ~HistoryDisk() = default;
    // The whole file, shared with other readers and writers, and its stamp.
    virtual FileRead Read(DiskFile file, std::string& text, FileStamp& stamp) = 0;
    // The file's stamp as it is now; false when it is missing or cannot be
    // looked at.
    virtual bool Stamp(DiskFile file, FileStamp& stamp) = 0;
    // Replaces the file in one step: afterwards it is the old file whole or
    // the new one whole. False, the file as it was, when it cannot be
    // written (held, read-only, a full disk).
    virtual bool Replace(DiskFile file, std::initializer_list<std::string_view> pieces) = 0;
    // True when the file is gone, or was not there.
    virtual bool Remove(DiskFile file) = 0;
    virtual bool Exists(DiskFile file) = 0;
    // Moves it aside as a backup that is kept (".bak", ".bak2" ...); false
    // when it cannot be moved now.
    virtual bool MoveAside(DiskFile file) = 0;
    // Copies it aside the same way, the file staying where it is.
    virtual bool CopyAside(DiskFile file) = 0;
    // The mark that the file is an earlier user's (see the top): kept on
    // disk beside it, set or cleared in one step; false when it cannot be
    // now. Marked: true when it is there (a mark that cannot be looked at is).
    virtual bool Mark(DiskFile file, bool earlierUsers) = 0;
    virtual bool Marked(DiskFile file) = 0;
};

// Which save: each minute's (and a pause's), or the one before leaving.
enum class SaveKind {
    Minute,    // the running day to the pending file, earlier days when owed
    Leaving,   // every day into the history and apps.csv, the pending file gone
};

enum class KeeperState { Closed, Leftover, PendingUnread, Waiting, Open };

// Where the last save put the days counted up to it.
enum class DaysSaved {
    Written,    // in the history file (or nobody is logged in)
    Pending,    // the history cannot be read or replaced now: in the pending file
    Full,       // the history is at its size limit: in the pending file
    InMemory,   // no file could take them: leaving now loses them
};

// What leaving now would cost, for the question at a log-off or exit.
struct LeavingRisk {
    bool historyHeld = false;   // the last save could not open or replace the history
    bool appsHeld = false;      // nor apps.csv, which was owed strokes
    bool pendingHeld = false;   // nor read or write the pending file
    bool daysLost = false;      // counts that are in no file yet
};

// Whether leaving must ask first, for the days: when it would lose counts, or
// while the history is held (the user is told which file to close).
bool MustAskBeforeLeaving(const LeavingRisk& risk);

class HistoryKeeper {
public:
    KeeperState State() const { return state_; }

    // A login: the user's pending days, history and apps.csv are read;
    // counting starts from the loaded all-time counts and the strokes per
    // program counted so far (apps). Nothing is written.
    void Login(HistoryDisk& disk, const HistoryCounts& loaded, const AppCounts& apps, const LocalDate& today);
    // A registration: an empty history. Files an earlier user of the name left
    // are moved aside first (kept as backups), and marked while they cannot be.
    void StartNew(HistoryDisk& disk, const AppCounts& apps, const LocalDate& today);
    void Close();
    // Before a registration makes the new user's data file: whatever stands
    // under the name is marked as an earlier user's (StartNew then moves it
    // aside), so that a kill at any point never leaves it to be taken for
    // the new user's.
    static void MarkEarlierUsersFiles(HistoryDisk& disk);

    // A save: see the header's comment. apps: the strokes per program
    // counted since Kivora started, which only rise.
    DaysSaved Save(HistoryDisk& disk, const HistoryCounts& now, const AppCounts& apps, const LocalDate& today,
                   SaveKind kind);
    DaysSaved LastSave() const { return lastSave_; }
    LeavingRisk Risk() const;

    // Each second, before the second is counted: a new date closes the
    // running day, so that strokes and seconds go to the day they fell on.
    // A date already in the history (the clock set back) goes on from its line.
    void KeepDate(const LocalDate& today, const HistoryCounts& now, const AppCounts& apps);
    // The all-time counts were reset: the day keeps what it counted.
    void Rebase(const HistoryCounts& beforeReset, const HistoryCounts& afterReset);
    // What the running day has counted is dropped (a user just registered):
    // its lines are written anew from what is counted from now on.
    void DropToday(const HistoryCounts& now, const AppCounts& apps);

    // The programs' strokes recorded so far are deleted: apps.csv, their
    // days in the pending file, and what was counted up to now (apps: the
    // strokes per program so far) but not saved yet. False, nothing changed
    // but maybe the pending file, when a file cannot be changed now or a
    // pending file has not been read yet. A file in apps.csv's place that is
    // not one is not Kivora's to delete: it stays.
    bool ForgetApps(HistoryDisk& disk, const AppCounts& apps);

    // The days as they stand, the running day with its counts up to now;
    // nothing while the history has not been read.
    bool HasDays() const { return state_ == KeeperState::Open; }
    HistoryPeriods Periods(const HistoryCounts& now) const { return book_.Periods(now); }
    std::vector<HistoryDay> Days(const HistoryCounts& now) const { return book_.Days(now); }
    const LocalDate& Today() const { return book_.Today(); }
    // Rises whenever a day other than the running one may have changed (a
    // reading, a fold, a new date, a login): who draws the days reads them
    // again then, and otherwise only the running day.
    unsigned DaysVersion() const { return daysVersion_; }
    // The strokes per program over the days of range, the running day's up
    // to now; empty while apps.csv has not been read.
    AppCounts Apps(const DateRange& range, const AppCounts& apps) const;

private:
    void TakeRunningCounts(const HistoryCounts& now, const AppCounts& apps);
    bool ReadPending(HistoryDisk& disk);
    bool& LeftoverFlag(DiskFile file);
    void FindLeftovers(HistoryDisk& disk);
    bool KeepLeftovers();
    bool MoveLeftoversAside(HistoryDisk& disk);
    bool OwesOtherDay(bool apps) const;
    bool WriteRunningDay(HistoryDisk& disk, bool appsReady);
    void ReadHistory(HistoryDisk& disk);
    bool ReadApps(HistoryDisk& disk);
    bool AppsOwed() const;
    AppCounts AppsOn(const LocalDate& date, const PendingDay* owed) const;
    bool WriteApps(HistoryDisk& disk);
    PendingDays FloorsOfWhatIsWritten(bool appsToo) const;
    bool KeepChangedPendingAside(HistoryDisk& disk);
    bool WritePending(HistoryDisk& disk, const PendingDays& days);
    DaysSaved SaveOpen(HistoryDisk& disk, SaveKind kind);
    DaysSaved Keep(DaysSaved saved);

    KeeperState state_ = KeeperState::Closed;
    HistoryBook book_;
    PendingDays owed_;
    HistoryCounts start_;
    AppCounts appStart_;
    // apps.csv as last read or written (readable: it was there and could be
    // read, or is missing); never written while it is not readable.
    AppBook apps_;
    bool appsReadable_ = false;
    bool appsKnown_ = false;
    FileStamp appsStamp_;
    uint64_t appsPrint_ = 0;
    bool leftoverApps_ = false;
    bool appsHeld_ = false;
    // The history's stamp as Kivora last read or wrote it (known: the file
    // was there); while it holds, the book needs no new reading.
    FileStamp historyStamp_;
    uint64_t historyPrint_ = 0;
    bool historyKnown_ = false;
    bool pendingOnDisk_ = false;   // as last read or written: its stamp and print
    FileStamp pendingStamp_;
    uint64_t pendingPrint_ = 0;
    bool pendingHasAdds_ = false;
    bool leftoverHistory_ = false;
    bool leftoverPending_ = false;
    // The running day's lines are written anew, not folded (the zeroing
    // after a registration), as long as the files are as they were then.
    bool replaceToday_ = false;
    bool replaceAppsToday_ = false;
    bool rewriteHistory_ = false;   // such a day ended: the book's text, not a fold, is the history
    uint64_t droppedPrint_ = 0;
    uint64_t droppedAppsPrint_ = 0;
    bool appsDirty_ = false;      // apps.csv lacks strokes that are owed to it
    // The running day's floor is what the file has (the last save wrote
    // it): once the day ends, the file's numbers are the day's, whatever
    // another program writes into them.
    bool historySettled_ = false;
    bool appsSettled_ = false;
    DaysSaved lastSave_ = DaysSaved::Written;
    bool historyHeld_ = false;
    bool pendingHeld_ = false;
    unsigned daysVersion_ = 0;
};

// The history as a login would see it, its pending days folded in, for the
// commands that only read (nothing is moved or written).
enum class DaysForReading {
    Read,               // the book holds them (a missing history: no days)
    HistoryUnreadable,  // held, refused or not a history
    PendingUnreadable,  // a pending file that is held or cannot be read
};
DaysForReading ReadDaysAsLoginWould(HistoryDisk& disk, const LocalDate& today, HistoryBook& book);
// The same for apps.csv, its days that wait in the pending file folded in;
// HistoryUnreadable when apps.csv cannot be read.
DaysForReading ReadAppsAsLoginWould(HistoryDisk& disk, AppBook& book);
