#include "history/history_keeper.h"

#include <algorithm>

void HistoryKeeper::Login(HistoryDisk& disk, const HistoryCounts& loaded, const AppCounts& apps,
                          const LocalDate& today)
{
    *this = HistoryKeeper();
    book_.Load("", today);
    book_.Begin(loaded);
    start_ = loaded;
    appStart_ = apps;
    // For the windows; one that is held now is read again when it is owed.
    ReadApps(disk);
    // The pending days come first: what is counted from now on is folded
    // after them.
    state_ = KeeperState::PendingUnread;
    if (!ReadPending(disk))
        return;
    state_ = KeeperState::Waiting;
    ReadHistory(disk);
}

void HistoryKeeper::StartNew(HistoryDisk& disk, const AppCounts& apps, const LocalDate& today)
{
    *this = HistoryKeeper();
    book_.Load("", today);
    book_.Begin(HistoryCounts{});
    appStart_ = apps;
    state_ = KeeperState::Leftover;
    leftoverHistory_ = disk.Exists(DiskFile::History);
    leftoverPending_ = disk.Exists(DiskFile::Pending);
    leftoverApps_ = disk.Exists(DiskFile::Apps);
    MoveLeftoversAside(disk);
}

void HistoryKeeper::Close() { *this = HistoryKeeper(); }

bool HistoryKeeper::MoveLeftoversAside(HistoryDisk& disk)
{
    if (leftoverPending_)
        leftoverPending_ = disk.Exists(DiskFile::Pending) && !disk.MoveAside(DiskFile::Pending);
    if (leftoverHistory_)
        leftoverHistory_ = disk.Exists(DiskFile::History) && !disk.MoveAside(DiskFile::History);
    if (leftoverApps_)
        leftoverApps_ = disk.Exists(DiskFile::Apps) && !disk.MoveAside(DiskFile::Apps);
    historyHeld_ = leftoverHistory_;
    pendingHeld_ = leftoverPending_;
    appsHeld_ = leftoverApps_;
    if (leftoverHistory_ || leftoverPending_ || leftoverApps_)
        return false;
    // No history yet: the book as it is, and nothing known of a file.
    state_ = KeeperState::Open;
    historyKnown_ = false;
    apps_ = AppBook();
    appsKnown_ = false;
    appsReadable_ = true;
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
        break;
    }
    HistoryBook book;
    if (book.Load(text, book_.Today()) != HistoryLoad::Loaded) {
        historyKnown_ = false;
        return;
    }
    if (replaceToday_)
        book.DropToday(HistoryCounts{});
    book.Fold(owed_);
    book.Begin(start_);
    book_ = std::move(book);
    state_ = KeeperState::Open;
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
    appsReadable_ = true;
    // Another program took strokes out of a day Kivora still counts: the
    // larger number goes back at once, as the history's does.
    for (const PendingDay& day : owed_)
        appsDirty_ = appsDirty_ || AppsOn(day.date, &day) != AppsOn(day.date, nullptr);
    return true;
}

AppCounts HistoryKeeper::AppsOn(const LocalDate& date, const PendingDay* owed) const
{
    const AppCounts* file = replaceToday_ && date == book_.Today() ? nullptr : apps_.On(date);
    AppCounts counts = file != nullptr ? *file : AppCounts{};
    return owed != nullptr ? FoldedApps(counts, *owed) : counts;
}

bool HistoryKeeper::WriteApps(HistoryDisk& disk)
{
    AppBook written = apps_;
    for (const PendingDay& day : owed_) {
        if (!day.appFloor.empty() || !day.appAdd.empty() || (replaceToday_ && day.date == book_.Today()))
            written.Set(day.date, AppsOn(day.date, &day));
    }
    const std::string text = written.Render();
    if (text.size() > LargestAppsFile || !disk.Replace(DiskFile::Apps, {text})) {
        appsHeld_ = true;
        return false;
    }
    apps_ = std::move(written);
    appsKnown_ = disk.Stamp(DiskFile::Apps, appsStamp_);
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

bool HistoryKeeper::WritePending(HistoryDisk& disk, const PendingDays& days)
{
    // Never over a file that has not been read, or that is an earlier user's.
    if (state_ == KeeperState::PendingUnread || leftoverPending_) {
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
    pendingOnDisk_ = true;
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
                              const LocalDate& today)
{
    if (state_ == KeeperState::Closed)
        return Keep(DaysSaved::Written);
    KeepDate(today, now, apps);
    TakeRunningCounts(now, apps);
    historyHeld_ = pendingHeld_ = appsHeld_ = false;
    if (state_ == KeeperState::Leftover && !MoveLeftoversAside(disk))
        return Keep(WritePending(disk, owed_) ? DaysSaved::Pending : DaysSaved::InMemory);
    if (state_ == KeeperState::PendingUnread) {
        if (!ReadPending(disk))
            return Keep(DaysSaved::InMemory);
        state_ = KeeperState::Waiting;
    }
    if (state_ == KeeperState::Waiting || ChangedSince(disk, DiskFile::History, historyKnown_, historyStamp_))
        ReadHistory(disk);
    if (state_ == KeeperState::Open)
        return Keep(SaveOpen(disk));
    return Keep(WritePending(disk, owed_) ? DaysSaved::Pending : DaysSaved::InMemory);
}

DaysSaved HistoryKeeper::SaveOpen(HistoryDisk& disk)
{
    const HistoryText text = book_.RenderParts(start_);
    // The reader refuses a history past its size limit: the days wait
    // rather than make it unreadable.
    if (!FitsHistoryFile(text))
        return WritePending(disk, owed_) ? DaysSaved::Full : DaysSaved::InMemory;
    // apps.csv read again when it changed (the windows show it), written
    // only when it is owed strokes, and only as it is now.
    const bool appsChanged = ChangedSince(disk, DiskFile::Apps, appsKnown_, appsStamp_);
    const bool appsReady = appsChanged || !appsReadable_ ? ReadApps(disk) : true;
    const bool appsWanted = appsDirty_;
    if (!appsWanted)
        appsHeld_ = false;   // what it does not owe cannot be kept from it
    // Adds on disk become floors before the files take them: a kill between
    // the writes then neither loses nor doubles them.
    if (pendingOnDisk_ && pendingHasAdds_ && !WritePending(disk, FloorsOfWhatIsWritten(appsReady)))
        return DaysSaved::InMemory;
    if (!disk.Replace(DiskFile::History, {text.before, text.line, text.after})) {
        historyHeld_ = true;
        return WritePending(disk, owed_) ? DaysSaved::Pending : DaysSaved::InMemory;
    }
    historyKnown_ = disk.Stamp(DiskFile::History, historyStamp_);
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
    if (appsWanted && !(appsReady && WriteApps(disk)))
        return WritePending(disk, owed_) ? DaysSaved::Pending : DaysSaved::InMemory;
    replaceToday_ = false;
    // Floors left behind when it cannot go are folded harmlessly.
    if (pendingOnDisk_ && disk.Remove(DiskFile::Pending))
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
    book_.Advance(today, now);
}

void HistoryKeeper::Rebase(const HistoryCounts& beforeReset, const HistoryCounts& afterReset)
{
    if (state_ == KeeperState::Closed)
        return;
    TakeRunningCounts(beforeReset, appStart_);   // the programs' strokes are no counts of the data file
    book_.Rebase(beforeReset, afterReset);
    start_ = afterReset;
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
    appsDirty_ = appsDirty_ || apps_.On(today) != nullptr;
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
    bool pendingHasApps = false;
    for (PendingDay day : owed_) {
        pendingHasApps = pendingHasApps || !day.appFloor.empty() || !day.appAdd.empty();
        day.appFloor.clear();
        day.appAdd.clear();
        AddPendingDay(kept, day);
    }
    // The pending file first: a kill before apps.csv goes then leaves the
    // file as it was, never a day of it to come back at the next login.
    if (pendingOnDisk_ && pendingHasApps && !WritePending(disk, kept))
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
    return true;
}

namespace {

// The pending file, then the file whose days it holds, as a command or the
// windows of a reader read them: unreadable at once when either cannot be
// read as it is now. A missing file is an empty one.
DaysForReading ReadWithPending(HistoryDisk& disk, DiskFile file, PendingDays& pending, std::string& text)
{
    FileStamp stamp;
    switch (disk.Read(DiskFile::Pending, text, stamp)) {
    case FileRead::Missing:
        break;
    case FileRead::Held:
    case FileRead::Refused:
        return DaysForReading::PendingUnreadable;
    case FileRead::Read:
        if (ParsePending(text, pending) != PendingLoad::Loaded)
            return DaysForReading::PendingUnreadable;
        break;
    }
    switch (disk.Read(file, text, stamp)) {
    case FileRead::Missing:
        text.clear();
        break;
    case FileRead::Held:
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
