#include "history/history_keeper.h"

#include <algorithm>
#include <cstring>

uint64_t ContentPrint(std::initializer_list<std::string_view> pieces)
{
    // Eight bytes a step, whatever the pieces' bounds: a history of ten
    // years is printed in about a millisecond.
    uint64_t print = 0x9E3779B97F4A7C15u;
    uint64_t word = 0;
    int filled = 0;
    uint64_t length = 0;
    auto mix = [&print](uint64_t value) {
        print = (print ^ value) * 0xBF58476D1CE4E5B9u;
        print ^= print >> 31;
    };
    for (std::string_view piece : pieces) {
        length += piece.size();
        std::size_t at = 0;
        while (at < piece.size()) {
            if (filled == 0 && piece.size() - at >= 8) {
                std::memcpy(&word, piece.data() + at, 8);
                mix(word);
                word = 0;
                at += 8;
                continue;
            }
            word |= static_cast<uint64_t>(static_cast<unsigned char>(piece[at++])) << (8 * filled);
            if (++filled == 8) {
                mix(word);
                word = 0;
                filled = 0;
            }
        }
    }
    if (filled > 0)
        mix(word);
    mix(length);
    return print;
}

bool MustAskBeforeLeaving(const LeavingRisk& risk) { return risk.daysLost || risk.historyHeld; }

void HistoryKeeper::Login(HistoryDisk& disk, const HistoryCounts& loaded, const AppCounts& apps,
                          const LocalDate& today)
{
    const unsigned version = daysVersion_ + 1;
    *this = HistoryKeeper();
    daysVersion_ = version;
    book_.Load("", today);
    book_.Begin(loaded);
    start_ = loaded;
    appStart_ = apps;
    FindLeftovers(disk);
    // For the windows; one that is held now is read again when it is owed.
    if (!leftoverApps_)
        ReadApps(disk);
    // The pending days come first: what is counted from now on is folded
    // after them.
    state_ = KeeperState::PendingUnread;
    if (!leftoverPending_ && !ReadPending(disk))
        return;
    state_ = KeeperState::Waiting;
    if (!KeepLeftovers())
        ReadHistory(disk);
}

// While an earlier user's files stand under the name, only the pending days
// are this user's: Leftover, with a book of them alone. False when there is
// none.
bool HistoryKeeper::KeepLeftovers()
{
    if (!leftoverHistory_ && !leftoverPending_ && !leftoverApps_)
        return false;
    HistoryBook book;
    book.Load("", book_.Today());
    book.Fold(owed_);
    book.Begin(start_);
    book_ = std::move(book);
    state_ = KeeperState::Leftover;
    return true;
}

void HistoryKeeper::StartNew(HistoryDisk& disk, const AppCounts& apps, const LocalDate& today)
{
    const unsigned version = daysVersion_ + 1;
    *this = HistoryKeeper();
    daysVersion_ = version;
    book_.Load("", today);
    book_.Begin(HistoryCounts{});
    appStart_ = apps;
    state_ = KeeperState::Leftover;
    // Whatever stands under the name, or is marked as left there, is an
    // earlier user's.
    for (DiskFile file : {DiskFile::History, DiskFile::Pending, DiskFile::Apps})
        LeftoverFlag(file) = disk.Exists(file) || disk.Marked(file);
    if (!MoveLeftoversAside(disk))
        return;
    ReadApps(disk);
    ReadHistory(disk);
}

void HistoryKeeper::Close()
{
    const unsigned version = daysVersion_ + 1;
    *this = HistoryKeeper();
    daysVersion_ = version;
}

bool& HistoryKeeper::LeftoverFlag(DiskFile file)
{
    switch (file) {
    case DiskFile::History:
        return leftoverHistory_;
    case DiskFile::Pending:
        return leftoverPending_;
    case DiskFile::Apps:
        break;
    }
    return leftoverApps_;
}

// A login: files marked as an earlier user's that are still there. A mark
// without its file goes.
void HistoryKeeper::FindLeftovers(HistoryDisk& disk)
{
    for (DiskFile file : {DiskFile::History, DiskFile::Pending, DiskFile::Apps})
        LeftoverFlag(file) = disk.Marked(file) && (disk.Exists(file) || !disk.Mark(file, false));
}

void HistoryKeeper::MarkEarlierUsersFiles(HistoryDisk& disk)
{
    for (DiskFile file : {DiskFile::History, DiskFile::Pending, DiskFile::Apps}) {
        if (disk.Exists(file) && !disk.Marked(file))
            disk.Mark(file, true);
    }
}

bool HistoryKeeper::MoveLeftoversAside(HistoryDisk& disk)
{
    // All marked first: a restart after any step here never takes one for
    // this user's.
    for (DiskFile file : {DiskFile::History, DiskFile::Pending, DiskFile::Apps}) {
        if (LeftoverFlag(file) && disk.Exists(file) && !disk.Marked(file))
            disk.Mark(file, true);
    }
    for (DiskFile file : {DiskFile::Pending, DiskFile::History, DiskFile::Apps}) {
        bool& left = LeftoverFlag(file);
        if (left && !(disk.Exists(file) && !disk.MoveAside(file)))
            left = disk.Marked(file) && !disk.Mark(file, false);
    }
    historyHeld_ = leftoverHistory_;
    pendingHeld_ = leftoverPending_;
    appsHeld_ = leftoverApps_;
    if (leftoverHistory_ || leftoverPending_ || leftoverApps_)
        return false;
    state_ = KeeperState::Waiting;
    ++daysVersion_;
    return true;
}

// Folds the pending file's days in before what is owed; false while it
// cannot be read. One that is not a pending file (or too large) is moved
// aside and kept, never written over.
bool HistoryKeeper::ReadPending(HistoryDisk& disk)
{
    std::string text;
    FileStamp stamp;
    PendingDays days;
    switch (disk.Read(DiskFile::Pending, text, stamp)) {
    case FileRead::Missing:
        pendingOnDisk_ = false;
        return true;
    case FileRead::Held:
    case FileRead::Unreadable:   // there, so never taken for no file or no pending file
        pendingHeld_ = true;
        return false;
    case FileRead::Read: {
        int unreadable = 0;
        if (ParsePending(text, days, &unreadable) != PendingLoad::Loaded)
            break;
        // Lines that cannot be read are kept in a copy: the file itself is
        // written again and removed as its days reach the history.
        if (unreadable > 0 && !disk.CopyAside(DiskFile::Pending)) {
            pendingHeld_ = true;
            return false;
        }
        owed_ = ComposePending(days, owed_);
        pendingStamp_ = stamp;
        pendingPrint_ = ContentPrint({text});
        appsDirty_ = appsDirty_ || std::any_of(days.begin(), days.end(), [](const PendingDay& day) {
            return !day.appFloor.empty() || !day.appAdd.empty();
        });
        pendingOnDisk_ = true;
        pendingHasAdds_ = HasAdds(days);
        pendingHeld_ = false;
        return true;
    }
    case FileRead::Refused:
        break;
    }
    if (!disk.MoveAside(DiskFile::Pending)) {
        pendingHeld_ = true;
        return false;
    }
    pendingOnDisk_ = false;
    pendingHasAdds_ = false;
    pendingHeld_ = false;
    return true;
}

namespace {

// Whether a file is other than when it was last read (or that it was not
// there): it appeared, went, or its stamp moved.
bool ChangedSince(HistoryDisk& disk, DiskFile file, bool known, const FileStamp& stamp)
{
    FileStamp now;
    bool exists = disk.Stamp(file, now);
    return exists != known || (exists && !(now == stamp));
}

// Whether a file that was read or written as print now holds other bytes,
// its stamp as it was: looked at before the file is written, never each
// minute. One that cannot be read has changed as far as a writer knows.
bool ChangedUnseen(HistoryDisk& disk, DiskFile file, bool known, uint64_t print)
{
    if (!known)
        return false;
    std::string text;
    FileStamp stamp;
    return disk.Read(file, text, stamp) != FileRead::Read || ContentPrint({text}) != print;
}

} // namespace

// Reads the history and folds into it what is owed: Open when it could be
// read (or is not there yet), else Waiting.
void HistoryKeeper::ReadHistory(HistoryDisk& disk)
{
    std::string text;
    FileStamp stamp;
    state_ = KeeperState::Waiting;
    switch (disk.Read(DiskFile::History, text, stamp)) {
    case FileRead::Held:
    case FileRead::Unreadable:
        historyHeld_ = true;
        return;
    case FileRead::Refused:
        return;
    case FileRead::Missing:
        text.clear();
        historyKnown_ = false;
        break;
    case FileRead::Read:
        historyKnown_ = true;
        historyStamp_ = stamp;
        historyPrint_ = ContentPrint({text});
        break;
    }
    HistoryBook book;
    if (book.Load(text, book_.Today()) != HistoryLoad::Loaded) {
        historyKnown_ = false;
        return;
    }
    // The running day's line is dropped when it is what Kivora knew at the
    // zeroing; one another program wrote since stands, and the day goes on
    // from it.
    if (replaceToday_ && historyKnown_ && historyPrint_ == droppedPrint_)
        book.DropToday(HistoryCounts{});
    else
        replaceToday_ = false;
    book.Fold(owed_);
    book.Begin(start_);
    book_ = std::move(book);
    state_ = KeeperState::Open;
    rewriteHistory_ = false;
    // What is owed is folded over what was read, no longer what was written.
    historySettled_ = false;
    ++daysVersion_;
}


// Reads apps.csv: false while it cannot be read (held, too large, not an
// apps file), and then it is never written. One with lines that cannot be
// read is kept as a copy first: the file is written anew without them.
bool HistoryKeeper::ReadApps(HistoryDisk& disk)
{
    std::string text;
    FileStamp stamp;
    appsReadable_ = false;
    switch (disk.Read(DiskFile::Apps, text, stamp)) {
    case FileRead::Missing:
        apps_ = AppBook();
        appsKnown_ = false;
        appsReadable_ = true;
        return true;
    case FileRead::Held:
    case FileRead::Unreadable:
        appsHeld_ = true;
        return false;
    case FileRead::Refused:
        return false;
    case FileRead::Read:
        break;
    }
    AppBook book;
    if (book.Load(text) != AppsLoad::Loaded)
        return false;
    if (book.UnreadableLines() > 0 && !disk.CopyAside(DiskFile::Apps)) {
        appsHeld_ = true;
        return false;
    }
    apps_ = std::move(book);
    appsKnown_ = true;
    appsStamp_ = stamp;
    appsPrint_ = ContentPrint({text});
    // Likewise for the running day's programs.
    replaceAppsToday_ = replaceAppsToday_ && appsPrint_ == droppedAppsPrint_;
    appsSettled_ = false;
    appsReadable_ = true;
    ++daysVersion_;
    // Another program took strokes out of a day Kivora still counts: the
    // larger number goes back at once, as the history's does.
    for (const PendingDay& day : owed_)
        appsDirty_ = appsDirty_ || AppsOn(day.date, &day) != AppsOn(day.date, nullptr);
    return true;
}

AppCounts HistoryKeeper::AppsOn(const LocalDate& date, const PendingDay* owed) const
{
    const AppCounts* file = replaceAppsToday_ && date == book_.Today() ? nullptr : apps_.On(date);
    AppCounts counts = file != nullptr ? *file : AppCounts{};
    return owed != nullptr ? FoldedApps(counts, *owed) : counts;
}

bool HistoryKeeper::WriteApps(HistoryDisk& disk)
{
    // Read again before it is written over, if its stamp hid a change.
    if (ChangedUnseen(disk, DiskFile::Apps, appsKnown_, appsPrint_) && !ReadApps(disk)) {
        appsHeld_ = true;
        return false;
    }
    AppBook written = apps_;
    for (const PendingDay& day : owed_) {
        if (!day.appFloor.empty() || !day.appAdd.empty() || (replaceAppsToday_ && day.date == book_.Today()))
            written.Set(day.date, AppsOn(day.date, &day));
    }
    const std::string text = written.Render();
    if (text.size() > LargestAppsFile || !disk.Replace(DiskFile::Apps, {text})) {
        appsHeld_ = true;
        return false;
    }
    apps_ = std::move(written);
    appsKnown_ = disk.Stamp(DiskFile::Apps, appsStamp_);
    appsPrint_ = ContentPrint({text});
    // Every owed program is in the file; the running day stays owed as a
    // floor of what was written.
    for (PendingDay& day : owed_) {
        day.appAdd.clear();
        day.appFloor.clear();
    }
    PendingDays settled;
    for (const PendingDay& day : owed_)
        AddPendingDay(settled, day);
    owed_ = std::move(settled);
    if (const AppCounts* today = apps_.On(book_.Today()))
        AddPendingDay(owed_, {book_.Today(), {}, {}, *today, {}});
    appsDirty_ = false;
    appsSettled_ = true;
    replaceAppsToday_ = false;
    return true;
}

// What is owed, with what is about to be written as floors: the history's
// days always, the programs' days when apps.csv is written too.
PendingDays HistoryKeeper::FloorsOfWhatIsWritten(bool appsToo) const
{
    PendingDays floors;
    for (const PendingDay& day : owed_) {
        PendingDay floor{day.date, {}, {}, day.appFloor, day.appAdd};
        if (std::optional<HistoryCounts> counts = book_.CountsOn(day.date, start_))
            floor.floor = *counts;
        if (appsToo) {
            floor.appFloor = AppsOn(day.date, &day);
            floor.appAdd.clear();
        }
        AddPendingDay(floors, floor);
    }
    return floors;
}

AppCounts HistoryKeeper::Apps(const DateRange& range, const AppCounts& apps) const
{
    AppCounts sum;
    if (!appsReadable_ && apps_.Empty())
        return sum;
    sum = apps_.Sum(range);
    for (const PendingDay& day : owed_) {
        if (!range.Contains(day.date) || (day.appFloor.empty() && day.appAdd.empty()))
            continue;
        // The day as folded, in place of the file's.
        sum = LessApps(sum, AppsOn(day.date, nullptr));
        AddAppCounts(sum, AppsOn(day.date, &day));
    }
    if (range.Contains(book_.Today()))
        AddAppDelta(sum, appStart_, apps);
    return sum;
}

// A file where the pending file is that is not what Kivora last read or
// wrote (one saved back from a spreadsheet, another program's) is kept aside
// whole before Kivora writes or removes the pending file: what is owed holds
// every day of it. A pending file is copied, so that a kill before the new one
// is in place leaves its days there; anything else is moved. False when it
// cannot be now.
bool HistoryKeeper::KeepChangedPendingAside(HistoryDisk& disk)
{
    if (!ChangedSince(disk, DiskFile::Pending, pendingOnDisk_, pendingStamp_) &&
        !ChangedUnseen(disk, DiskFile::Pending, pendingOnDisk_, pendingPrint_))
        return true;
    std::string text;
    FileStamp stamp;
    PendingDays found;
    switch (disk.Read(DiskFile::Pending, text, stamp)) {
    case FileRead::Missing:
        pendingOnDisk_ = false;
        return true;
    case FileRead::Read:
        if (ParsePending(text, found) == PendingLoad::Loaded) {
            pendingOnDisk_ = true;
            return disk.CopyAside(DiskFile::Pending);
        }
        [[fallthrough]];
    case FileRead::Refused:
        pendingOnDisk_ = !disk.MoveAside(DiskFile::Pending);
        return !pendingOnDisk_;
    case FileRead::Held:
    case FileRead::Unreadable:
        break;
    }
    return false;
}

bool HistoryKeeper::WritePending(HistoryDisk& disk, const PendingDays& days)
{
    // Never over a file that has not been read, or that is an earlier user's.
    if (state_ == KeeperState::PendingUnread || leftoverPending_) {
        pendingHeld_ = true;
        return false;
    }
    if (!KeepChangedPendingAside(disk)) {
        pendingHeld_ = true;
        return false;
    }
    if (days.empty() && !pendingOnDisk_)
        return true;
    std::string text = FormatPending(days);
    if (text.size() > LargestPendingFile || !disk.Replace(DiskFile::Pending, {text})) {
        pendingHeld_ = true;
        return false;
    }
    pendingOnDisk_ = disk.Stamp(DiskFile::Pending, pendingStamp_);
    pendingPrint_ = ContentPrint({text});
    pendingHasAdds_ = HasAdds(days);
    return true;
}

void HistoryKeeper::TakeRunningCounts(const HistoryCounts& now, const AppCounts& apps)
{
    HistoryCounts rise;
    AddDelta(rise, start_, now);
    AppCounts appRise;
    AddAppDelta(appRise, appStart_, apps);
    if (!rise.IsEmpty() || !appRise.empty())
        AddPendingDay(owed_, {book_.Today(), {}, rise, {}, appRise});
    appsDirty_ = appsDirty_ || !appRise.empty();
    book_.Begin(now);   // the book folds the rise into the day
    start_ = now;
    appStart_ = apps;
}

DaysSaved HistoryKeeper::Save(HistoryDisk& disk, const HistoryCounts& now, const AppCounts& apps,
                              const LocalDate& today, SaveKind kind)
{
    if (state_ == KeeperState::Closed)
        return Keep(DaysSaved::Written);
    KeepDate(today, now, apps);
    TakeRunningCounts(now, apps);
    historyHeld_ = pendingHeld_ = appsHeld_ = false;
    if (state_ == KeeperState::PendingUnread) {
        if (!ReadPending(disk))
            return Keep(DaysSaved::InMemory);
        state_ = KeeperState::Waiting;
        KeepLeftovers();
    }
    if (state_ == KeeperState::Leftover) {
        const bool appsWereLeft = leftoverApps_;
        if (!MoveLeftoversAside(disk))
            return Keep(WritePending(disk, owed_) ? DaysSaved::Pending : DaysSaved::InMemory);
        if (appsWereLeft)
            ReadApps(disk);
    }
    if (state_ == KeeperState::Waiting || ChangedSince(disk, DiskFile::History, historyKnown_, historyStamp_))
        ReadHistory(disk);
    if (state_ == KeeperState::Open)
        return Keep(SaveOpen(disk, kind));
    return Keep(WritePending(disk, owed_) ? DaysSaved::Pending : DaysSaved::InMemory);
}

// Whether a day other than the running one is owed to the history (or, with
// apps, to apps.csv): only a whole write can give it. So are the running
// day's lines while they are written anew rather than folded.
bool HistoryKeeper::OwesOtherDay(bool apps) const
{
    if (apps ? replaceAppsToday_ : replaceToday_ || rewriteHistory_)
        return true;
    return std::any_of(owed_.begin(), owed_.end(), [&](const PendingDay& day) {
        if (day.date == book_.Today())
            return false;
        return apps ? !day.appFloor.empty() || !day.appAdd.empty() : !day.floor.IsEmpty() || !day.add.IsEmpty();
    });
}

// The minute's write: what is owed to the files, the running day as a floor
// of its counts now, to the pending file alone. Days other than the running
// one owe the history nothing here; their programs stay as owed (as floors
// when apps.csv could be read).
bool HistoryKeeper::WriteRunningDay(HistoryDisk& disk, bool appsReady)
{
    PendingDays floors;
    for (const PendingDay& day : owed_) {
        PendingDay floor = day;
        if (day.date == book_.Today()) {
            floor.floor = book_.TodayCounts(start_);
            floor.add = HistoryCounts{};
        }
        if (appsReady) {
            floor.appFloor = AppsOn(day.date, &day);
            floor.appAdd.clear();
        }
        AddPendingDay(floors, floor);
    }
    if (!WritePending(disk, floors))
        return false;
    owed_ = std::move(floors);
    // The history lacks the running day's counts now; apps.csv lacks what is
    // owed to it, if anything: floors of what it has are settled.
    historySettled_ = false;
    appsSettled_ = !appsDirty_;
    return true;
}

DaysSaved HistoryKeeper::SaveOpen(HistoryDisk& disk, SaveKind kind)
{
    const bool historyWanted = kind == SaveKind::Leaving || OwesOtherDay(false);
    const bool appsWanted = appsDirty_ && (historyWanted || OwesOtherDay(true));
    // apps.csv read again when it changed (the windows show it), written
    // only when it is owed strokes, and only as it is now.
    const bool appsChanged = ChangedSince(disk, DiskFile::Apps, appsKnown_, appsStamp_);
    const bool appsReady = appsChanged || !appsReadable_ ? ReadApps(disk) : true;
    if (!appsDirty_)
        appsHeld_ = false;   // what it does not owe cannot be kept from it
    // Adds on disk become floors before the files take them: a kill between
    // the writes then neither loses nor doubles them.
    auto addsSettled = [&] {
        return !(pendingOnDisk_ && pendingHasAdds_) || WritePending(disk, FloorsOfWhatIsWritten(appsReady));
    };
    if (!historyWanted) {
        // An earlier day owed to apps.csv alone goes there; the running day
        // to the pending file, whatever apps.csv took.
        const bool appsWritten = !appsWanted || (appsReady && addsSettled() && WriteApps(disk));
        if (WriteRunningDay(disk, appsReady))
            return appsWritten ? DaysSaved::Written : DaysSaved::Pending;
        // No pending file can be written: the history takes the days whole.
    }
    // Read again before it is written over, if its stamp hid a change.
    if (ChangedUnseen(disk, DiskFile::History, historyKnown_, historyPrint_)) {
        ReadHistory(disk);
        if (state_ != KeeperState::Open)
            return WritePending(disk, owed_) ? DaysSaved::Pending : DaysSaved::InMemory;
    }
    const HistoryText text = book_.RenderParts(start_);
    // The reader refuses a history past its size limit: the days wait
    // rather than make it unreadable.
    if (!FitsHistoryFile(text))
        return WritePending(disk, owed_) ? DaysSaved::Full : DaysSaved::InMemory;
    if (!addsSettled())
        return DaysSaved::InMemory;
    if (!disk.Replace(DiskFile::History, {text.before, text.line, text.after})) {
        historyHeld_ = true;
        return WritePending(disk, owed_) ? DaysSaved::Pending : DaysSaved::InMemory;
    }
    historyKnown_ = disk.Stamp(DiskFile::History, historyStamp_);
    historyPrint_ = ContentPrint({text.before, text.line, text.after});
    // The file has every owed day now; the running day stays owed as a
    // floor of what was written. The programs' days stay as they are owed.
    const HistoryCounts written = book_.TodayCounts(start_);
    PendingDays programs;
    for (PendingDay day : owed_) {
        day.floor = day.add = HistoryCounts{};
        AddPendingDay(programs, day);
    }
    owed_ = std::move(programs);
    AddPendingDay(owed_, {book_.Today(), written, {}});
    historySettled_ = true;
    replaceToday_ = rewriteHistory_ = false;
    if (appsDirty_ && !(appsReady && WriteApps(disk)))
        return WritePending(disk, owed_) ? DaysSaved::Pending : DaysSaved::InMemory;
    // Floors left behind when it cannot go are folded harmlessly.
    if (pendingOnDisk_ && KeepChangedPendingAside(disk) && disk.Remove(DiskFile::Pending))
        pendingOnDisk_ = false;
    pendingHasAdds_ = false;
    return DaysSaved::Written;
}

DaysSaved HistoryKeeper::Keep(DaysSaved saved)
{
    lastSave_ = saved;
    return saved;
}

LeavingRisk HistoryKeeper::Risk() const
{
    LeavingRisk risk;
    if (state_ == KeeperState::Closed)
        return risk;
    risk.historyHeld = historyHeld_;
    risk.appsHeld = appsHeld_;
    risk.pendingHeld = pendingHeld_;
    risk.daysLost = lastSave_ == DaysSaved::InMemory && HasAdds(owed_);
    return risk;
}

void HistoryKeeper::KeepDate(const LocalDate& today, const HistoryCounts& now, const AppCounts& apps)
{
    if (state_ == KeeperState::Closed || today == book_.Today())
        return;
    // What was counted up to now belongs to the day that ends.
    TakeRunningCounts(now, apps);
    // A floor that the files have (nothing counted since they were written)
    // is owed no more: the day has ended.
    const LocalDate closing = book_.Today();
    PendingDays kept;
    for (PendingDay day : owed_) {
        if (day.date == closing && historySettled_ && day.add.IsEmpty())
            day.floor = HistoryCounts{};
        if (day.date == closing && appsSettled_ && day.appAdd.empty())
            day.appFloor.clear();
        AddPendingDay(kept, day);
    }
    owed_ = std::move(kept);
    historySettled_ = appsSettled_ = false;
    // A day zeroed after a registration ends before its line was written
    // anew: the book has it so, and the next save writes the book whole. Its
    // programs fold as any other day's.
    rewriteHistory_ = rewriteHistory_ || replaceToday_;
    replaceToday_ = replaceAppsToday_ = false;
    book_.Advance(today, now);
    ++daysVersion_;
}

void HistoryKeeper::Rebase(const HistoryCounts& beforeReset, const HistoryCounts& afterReset)
{
    if (state_ == KeeperState::Closed)
        return;
    TakeRunningCounts(beforeReset, appStart_);   // the programs' strokes are no counts of the data file
    book_.Rebase(beforeReset, afterReset);
    start_ = afterReset;
    ++daysVersion_;
}

void HistoryKeeper::DropToday(const HistoryCounts& now, const AppCounts& apps)
{
    if (state_ == KeeperState::Closed)
        return;
    const LocalDate today = book_.Today();
    owed_.erase(std::remove_if(owed_.begin(), owed_.end(), [&](const PendingDay& day) { return day.date == today; }),
                owed_.end());
    book_.DropToday(now);
    start_ = now;
    appStart_ = apps;
    replaceToday_ = true;
    replaceAppsToday_ = apps_.On(today) != nullptr;
    droppedPrint_ = historyKnown_ ? historyPrint_ : 0;
    droppedAppsPrint_ = appsKnown_ ? appsPrint_ : 0;
    appsDirty_ = appsDirty_ || replaceAppsToday_;
    ++daysVersion_;
}

bool HistoryKeeper::ForgetApps(HistoryDisk& disk, const AppCounts& apps)
{
    // Programs' days in a pending file not read yet would come back with it.
    if (state_ == KeeperState::PendingUnread || leftoverPending_)
        return false;
    // An earlier user's file is moved aside, never deleted.
    bool remove = false;
    std::string text;
    FileStamp stamp;
    switch (leftoverApps_ ? FileRead::Missing : disk.Read(DiskFile::Apps, text, stamp)) {
    case FileRead::Missing:
        break;
    case FileRead::Held:
    case FileRead::Unreadable:
    case FileRead::Refused:
        return false;
    case FileRead::Read: {
        AppBook book;
        AppsLoad load = book.Load(text);
        if (load == AppsLoad::TooLarge)
            return false;
        remove = load == AppsLoad::Loaded;
        break;
    }
    }
    PendingDays kept;
    for (PendingDay day : owed_) {
        day.appFloor.clear();
        day.appAdd.clear();
        AddPendingDay(kept, day);
    }
    // The pending file first: a kill before apps.csv goes then leaves the
    // file as it was, never a day of it to come back at the next login. It
    // may hold programs' floors that are owed no more (apps.csv has them),
    // so it is written whenever it is there.
    if (pendingOnDisk_ && !WritePending(disk, kept))
        return false;
    if (remove && !disk.Remove(DiskFile::Apps))
        return false;
    owed_ = std::move(kept);
    appStart_ = apps;
    appsDirty_ = false;
    appsSettled_ = false;
    appsHeld_ = false;
    apps_ = AppBook();
    appsKnown_ = false;
    if (!leftoverApps_)   // an earlier user's file is never read as this user's
        ReadApps(disk);
    ++daysVersion_;
    return true;
}

namespace {

// The pending file, then the file whose days it holds, as a command or the
// windows of a reader read them: unreadable at once when either cannot be
// read as it is now. A missing file is an empty one.
// A file marked as an earlier user's is none of this user's.
bool EarlierUsers(HistoryDisk& disk, DiskFile file) { return disk.Marked(file) && disk.Exists(file); }

DaysForReading ReadWithPending(HistoryDisk& disk, DiskFile file, PendingDays& pending, std::string& text)
{
    FileStamp stamp;
    switch (EarlierUsers(disk, DiskFile::Pending) ? FileRead::Missing : disk.Read(DiskFile::Pending, text, stamp)) {
    case FileRead::Missing:
        break;
    case FileRead::Held:
    case FileRead::Unreadable:
    case FileRead::Refused:
        return DaysForReading::PendingUnreadable;
    case FileRead::Read:
        if (ParsePending(text, pending) != PendingLoad::Loaded)
            return DaysForReading::PendingUnreadable;
        break;
    }
    switch (EarlierUsers(disk, file) ? FileRead::Missing : disk.Read(file, text, stamp)) {
    case FileRead::Missing:
        text.clear();
        break;
    case FileRead::Held:
    case FileRead::Unreadable:
    case FileRead::Refused:
        return DaysForReading::HistoryUnreadable;
    case FileRead::Read:
        break;
    }
    return DaysForReading::Read;
}

} // namespace

DaysForReading ReadDaysAsLoginWould(HistoryDisk& disk, const LocalDate& today, HistoryBook& book)
{
    std::string text;
    PendingDays pending;
    DaysForReading read = ReadWithPending(disk, DiskFile::History, pending, text);
    if (read != DaysForReading::Read)
        return read;
    HistoryBook days;
    if (days.Load(text, today) != HistoryLoad::Loaded)
        return DaysForReading::HistoryUnreadable;
    days.Fold(pending);
    book = std::move(days);
    return DaysForReading::Read;
}

DaysForReading ReadAppsAsLoginWould(HistoryDisk& disk, AppBook& book)
{
    std::string text;
    PendingDays pending;
    DaysForReading readable = ReadWithPending(disk, DiskFile::Apps, pending, text);
    if (readable != DaysForReading::Read)
        return readable;
    AppBook read;
    if (read.Load(text) != AppsLoad::Loaded)
        return DaysForReading::HistoryUnreadable;
    for (const PendingDay& day : pending) {
        if (day.appFloor.empty() && day.appAdd.empty())
            continue;
        const AppCounts* had = read.On(day.date);
        read.Set(day.date, FoldedApps(had != nullptr ? *had : AppCounts{}, day));
    }
    book = std::move(read);
    return DaysForReading::Read;
}
