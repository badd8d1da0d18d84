#include "history/history_keeper.h"

#include <algorithm>

void HistoryKeeper::Login(HistoryDisk& disk, const HistoryCounts& loaded, const LocalDate& today)
{
    *this = HistoryKeeper();
    book_.Load("", today);
    book_.Begin(loaded);
    start_ = loaded;
    // The pending days come first: what is counted from now on is folded
    // after them.
    state_ = KeeperState::PendingUnread;
    if (!ReadPending(disk))
        return;
    state_ = KeeperState::Waiting;
    ReadHistory(disk);
}

void HistoryKeeper::StartNew(HistoryDisk& disk, const LocalDate& today)
{
    *this = HistoryKeeper();
    book_.Load("", today);
    book_.Begin(HistoryCounts{});
    state_ = KeeperState::Leftover;
    leftoverHistory_ = disk.Exists(DiskFile::History);
    leftoverPending_ = disk.Exists(DiskFile::Pending);
    MoveLeftoversAside(disk);
}

void HistoryKeeper::Close() { *this = HistoryKeeper(); }

bool HistoryKeeper::MoveLeftoversAside(HistoryDisk& disk)
{
    if (leftoverPending_)
        leftoverPending_ = disk.Exists(DiskFile::Pending) && !disk.MoveAside(DiskFile::Pending);
    if (leftoverHistory_)
        leftoverHistory_ = disk.Exists(DiskFile::History) && !disk.MoveAside(DiskFile::History);
    historyHeld_ = leftoverHistory_;
    pendingHeld_ = leftoverPending_;
    if (leftoverHistory_ || leftoverPending_)
        return false;
    // No history yet: the book as it is, and nothing known of a file.
    state_ = KeeperState::Open;
    historyKnown_ = false;
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

bool HistoryKeeper::HistoryChanged(HistoryDisk& disk) const
{
    FileStamp now;
    bool exists = disk.Stamp(DiskFile::History, now);
    return exists != historyKnown_ || (exists && !(now == historyStamp_));
}

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

void HistoryKeeper::TakeRunningCounts(const HistoryCounts& now)
{
    HistoryCounts rise;
    AddDelta(rise, start_, now);
    if (!rise.IsEmpty())
        AddPendingDay(owed_, {book_.Today(), {}, rise});
    book_.Begin(now);   // the book folds the rise into the day
    start_ = now;
}

DaysSaved HistoryKeeper::Save(HistoryDisk& disk, const HistoryCounts& now, const LocalDate& today)
{
    if (state_ == KeeperState::Closed)
        return Keep(DaysSaved::Written);
    KeepDate(today, now);
    TakeRunningCounts(now);
    historyHeld_ = pendingHeld_ = false;
    if (state_ == KeeperState::Leftover && !MoveLeftoversAside(disk))
        return Keep(WritePending(disk, owed_) ? DaysSaved::Pending : DaysSaved::InMemory);
    if (state_ == KeeperState::PendingUnread) {
        if (!ReadPending(disk))
            return Keep(DaysSaved::InMemory);
        state_ = KeeperState::Waiting;
    }
    if (state_ == KeeperState::Waiting || HistoryChanged(disk))
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
    // Adds on disk become floors before the history takes them: a kill
    // between the two writes then neither loses nor doubles them.
    if (pendingOnDisk_ && pendingHasAdds_ && !WritePending(disk, AsFloors(book_, owed_, start_)))
        return DaysSaved::InMemory;
    if (!disk.Replace(DiskFile::History, {text.before, text.line, text.after})) {
        historyHeld_ = true;
        return WritePending(disk, owed_) ? DaysSaved::Pending : DaysSaved::InMemory;
    }
    historyKnown_ = disk.Stamp(DiskFile::History, historyStamp_);
    // The file has every owed day now; the running day stays owed as a
    // floor of what was written.
    const HistoryCounts written = book_.TodayCounts(start_);
    owed_.clear();
    AddPendingDay(owed_, {book_.Today(), written, {}});
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
    risk.pendingHeld = pendingHeld_;
    risk.daysLost = lastSave_ == DaysSaved::InMemory && HasAdds(owed_);
    return risk;
}

void HistoryKeeper::KeepDate(const LocalDate& today, const HistoryCounts& now)
{
    if (state_ == KeeperState::Closed || today == book_.Today())
        return;
    // What was counted up to now belongs to the day that ends.
    TakeRunningCounts(now);
    book_.Advance(today, now);
}

void HistoryKeeper::Rebase(const HistoryCounts& beforeReset, const HistoryCounts& afterReset)
{
    if (state_ == KeeperState::Closed)
        return;
    TakeRunningCounts(beforeReset);
    book_.Rebase(beforeReset, afterReset);
    start_ = afterReset;
}

void HistoryKeeper::DropToday(const HistoryCounts& now)
{
    if (state_ == KeeperState::Closed)
        return;
    const LocalDate today = book_.Today();
    owed_.erase(std::remove_if(owed_.begin(), owed_.end(), [&](const PendingDay& day) { return day.date == today; }),
                owed_.end());
    book_.DropToday(now);
    start_ = now;
    replaceToday_ = true;
}

DaysForReading ReadDaysAsLoginWould(HistoryDisk& disk, const LocalDate& today, HistoryBook& book)
{
    std::string text;
    FileStamp stamp;
    PendingDays pending;
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
    switch (disk.Read(DiskFile::History, text, stamp)) {
    case FileRead::Missing:
        text.clear();
        break;
    case FileRead::Held:
    case FileRead::Refused:
        return DaysForReading::HistoryUnreadable;
    case FileRead::Read:
        break;
    }
    HistoryBook read;
    if (read.Load(text, today) != HistoryLoad::Loaded)
        return DaysForReading::HistoryUnreadable;
    read.Fold(pending);
    book = std::move(read);
    return DaysForReading::Read;
}
