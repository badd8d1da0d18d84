#include "sync/other_pcs.h"

#include <algorithm>

namespace {

constexpr int LocalKinds[3] = {static_cast<int>(PcFileKind::History), static_cast<int>(PcFileKind::Pending),
                               static_cast<int>(PcFileKind::Apps)};

// Whether the day of pcs[index] with that print counts: it has no strokes, or
// it is neither this PC's day nor that of a PC before it.
template <typename Pcs>
bool DayCounts(const Pcs& pcs, const PcDays& local, std::size_t index, int32_t day, uint64_t print)
{
    if (print == 0)
        return true;
    if (local.PrintOn(day) == print)
        return false;
    for (std::size_t earlier = 0; earlier < index; ++earlier) {
        if (pcs[earlier].days.PrintOn(day) == print)
            return false;
    }
    return true;
}

// The same for a day's programs, by their print: copied with the day, they
// count once; the day's copy alone leaves them their PC's.
template <typename Pcs>
bool AppsCount(const Pcs& pcs, const PcDays& local, std::size_t index, int32_t day, uint64_t print)
{
    if (print == 0)
        return true;
    if (local.AppsPrintOn(day) == print)
        return false;
    for (std::size_t earlier = 0; earlier < index; ++earlier) {
        if (pcs[earlier].days.AppsPrintOn(day) == print)
            return false;
    }
    return true;
}

} // namespace

template <typename Change>
void OtherPcs::Guarded(Change change)
{
    if (guard_ == nullptr) {
        change();
        return;
    }
    std::lock_guard<std::mutex> lock(*guard_);
    change();
}

void OtherPcs::Forget() { readAnew_ = true; }

bool OtherPcs::PastLimits() const
{
    bool past = tooManyPcs_ || names_.PastLimit() || apps_.PastLimit();
    for (const Pc& pc : pcs_)
        past = past || pc.tooLarge || pc.days.PastLimit();
    return past;
}

bool OtherPcs::ReadListing(SharedFolder& folder, std::string_view ownPc, std::vector<Listed>& listed)
{
    std::vector<FolderEntry> entries;
    if (!folder.List(entries))
        return false;
    for (const FolderEntry& entry : entries) {
        std::optional<PcFileName> name = ParsePcFileName(entry.name);
        if (!name || name->pc == ownPc)
            continue;
        auto pc = std::find_if(listed.begin(), listed.end(), [&](const Listed& l) { return l.name == name->pc; });
        if (pc == listed.end()) {
            listed.emplace_back();
            pc = listed.end() - 1;
            pc->name = name->pc;
        }
        pc->present[static_cast<int>(name->kind)] = true;
        pc->stamps[static_cast<int>(name->kind)] = entry.stamp;
    }
    std::sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) { return a.name < b.name; });
    tooManyPcs_ = listed.size() > static_cast<std::size_t>(MostPcs);
    if (tooManyPcs_)
        listed.resize(MostPcs);
    return true;
}

bool OtherPcs::TextOf(SharedFolder& folder, const Listed& pc, PcFileKind kind, std::string& text, bool& tooLarge)
{
    text.clear();
    const int at = static_cast<int>(kind);
    if (!pc.present[at])
        return true;
    if (pc.stamps[at].size > LargestPcFile(kind)) {
        tooLarge = true;   // passed over, as if it were not there
        return true;
    }
    const std::string name = FileNameOf(pc.name, kind);
    switch (folder.Read(name, text)) {
    case FileRead::Read:
        if (text.size() > LargestPcFile(kind)) {
            text.clear();   // grown since it was listed
            tooLarge = true;
        }
        return true;
    case FileRead::Missing:
        text.clear();
        return true;
    case FileRead::Held:
    case FileRead::Unreadable:
    case FileRead::Refused:
        break;
    }
    held_ = name;
    return false;
}

bool OtherPcs::ReadLocal(LocalFiles& local, const KeptDays& kept, bool everything, PcDays& days, AppNames& names,
                         std::vector<DayChange>& changes, std::vector<AppsChange>& appsChanges)
{
    bool present[3];
    FileStamp stamps[3];
    bool changed[3];
    bool any = false;
    for (int at = 0; at < 3; ++at) {
        FileRead looked = local.Stamp(static_cast<PcFileKind>(LocalKinds[at]), stamps[at]);
        if (looked == FileRead::Held || looked == FileRead::Refused) {
            heldLocal_ = true;
            return false;
        }
        present[at] = looked == FileRead::Read;
        changed[at] = everything || present[at] != localPresent_[at] || (present[at] && !(stamps[at] == localStamps_[at]));
        any = any || changed[at];
    }
    if (!any)
        return true;
    std::string texts[3];
    auto read = [&](int at) {
        if (!present[at])
            return true;
        switch (local.Read(static_cast<PcFileKind>(LocalKinds[at]), texts[at])) {
        case FileRead::Read:
            return true;
        case FileRead::Missing:
        case FileRead::Refused:   // no days of it can be read
            texts[at].clear();
            return true;
        case FileRead::Held:
        case FileRead::Unreadable:   // there, but not read whole now: looked at again
            break;
        }
        heldLocal_ = true;
        return false;
    };
    for (int at = 0; at < 3; ++at) {
        if (changed[at] && !read(at))
            return false;
    }
    PcUpdate update = PcUpdate::Done;
    if (everything) {
        days.Load(texts[0], texts[1], texts[2], kept, names, [](int32_t, uint64_t, const CompactDay&) {},
                  [](const AppsChange&) {});
    }
    for (int tries = 0; tries < 3 && !everything; ++tries) {
        changes.clear();
        appsChanges.clear();
        update = days.Update({changed[0], texts[0]}, {changed[1], texts[1]}, {changed[2], texts[2]}, kept, names,
                             changes, appsChanges, everything);
        const int needed = update == PcUpdate::NeedsHistory ? 0 : update == PcUpdate::NeedsApps ? 2 : -1;
        if (needed < 0)
            break;
        changed[needed] = true;
        if (!read(needed))
            return false;
    }
    for (int at = 0; at < 3; ++at) {
        localPresent_[at] = present[at];
        localStamps_[at] = stamps[at];
    }
    if (update != PcUpdate::Done)
        readAnew_ = true;
    return true;
}

bool OtherPcs::AnotherHas(std::size_t index, int32_t day, uint64_t print, bool apps) const
{
    auto printOf = [&](const PcDays& days) { return apps ? days.AppsPrintOn(day) : days.PrintOn(day); };
    if (print == 0)
        return false;
    if (printOf(local_) == print)
        return true;
    for (std::size_t other = 0; other < pcs_.size(); ++other) {
        if (other != index && printOf(pcs_[other].days) == print)
            return true;
    }
    return false;
}

void OtherPcs::SumAllTime()
{
    allTime_ = HistoryCounts{};
    pcsRead_ = 0;
    for (const Pc& pc : pcs_) {
        if (pc.keysReadable)
            AddCounts(allTime_, pc.allTime);
        pcsRead_ += pc.keysReadable || pc.days.Readable() ? 1 : 0;
    }
}

FolderRead OtherPcs::ReadEveryPc(SharedFolder& folder, LocalFiles& local, const std::vector<Listed>& listed,
                                 const KeptDays& kept)
{
    readAll_ = true;
    readAnew_ = true;   // until it is done
    held_.clear();
    heldLocal_ = false;
    // Made beside what the readers see, and put in its place whole: a file
    // that cannot be read now leaves the last reading as it was.
    PcDays localDays;
    std::vector<DayChange> changes;
    std::vector<AppsChange> appsChanges;
    const bool localPresent[3] = {localPresent_[0], localPresent_[1], localPresent_[2]};
    const FileStamp localStamps[3] = {localStamps_[0], localStamps_[1], localStamps_[2]};
    auto keepLocalStamps = [&] {
        for (int at = 0; at < 3; ++at) {
            localPresent_[at] = localPresent[at];
            localStamps_[at] = localStamps[at];
        }
    };
    AppNames names;
    // This PC's days only tell copies among other PCs' days: without any,
    // they are not read (and are, in full, once one comes).
    if (!listed.empty() && !ReadLocal(local, kept, true, localDays, names, changes, appsChanges)) {
        keepLocalStamps();
        return FolderRead::Held;
    }
    std::vector<Pc> pcs;
    pcs.reserve(listed.size());
    DaySums days;
    AppSums apps;
    std::string text[PcFileKinds];
    for (const Listed& now : listed) {
        Pc pc;
        pc.name = now.name;
        std::copy(std::begin(now.present), std::end(now.present), pc.present);
        std::copy(std::begin(now.stamps), std::end(now.stamps), pc.stamps);
        for (int kind = 0; kind < PcFileKinds; ++kind) {
            if (!TextOf(folder, now, static_cast<PcFileKind>(kind), text[kind], pc.tooLarge)) {
                keepLocalStamps();
                return FolderRead::Held;
            }
        }
        pc.keysReadable = ReadKeysText(text[static_cast<int>(PcFileKind::Keys)], pc.allTime);
        const std::size_t index = pcs.size();
        // Added up as they are read: nothing of a PC's days is held but
        // their prints.
        pc.days.Load(
            text[static_cast<int>(PcFileKind::History)], text[static_cast<int>(PcFileKind::Pending)],
            text[static_cast<int>(PcFileKind::Apps)], kept, names,
            [&](int32_t day, uint64_t print, const CompactDay& counts) {
                if (DayCounts(pcs, localDays, index, day, print))
                    days.Add(day, counts);
            },
            [&](const AppsChange& change) {
                if (AppsCount(pcs, localDays, index, change.day, change.printAfter)) {
                    for (const AppStroke& stroke : change.after)
                        apps.Add(stroke);
                }
            });
        pcs.push_back(std::move(pc));
    }
    Guarded([&] {
        pcs_ = std::move(pcs);
        local_ = std::move(localDays);
        days_ = std::move(days);
        apps_ = std::move(apps);
        names_ = std::move(names);
        SumAllTime();
    });
    readAnew_ = false;
    changed_ = true;
    return FolderRead::Read;
}

int OtherPcs::ReadChanges(SharedFolder& folder, Pc& pc, const Listed& now, std::size_t index, const KeptDays& kept)
{
    bool changed[PcFileKinds];
    bool any = false;
    for (int kind = 0; kind < PcFileKinds; ++kind) {
        changed[kind] = now.present[kind] != pc.present[kind] || (now.present[kind] && !(now.stamps[kind] == pc.stamps[kind]));
        any = any || changed[kind];
    }
    if (!any)
        return 0;
    std::string text[PcFileKinds];
    bool tooLarge = false;
    for (int kind = 0; kind < PcFileKinds; ++kind) {
        if (changed[kind] && !TextOf(folder, now, static_cast<PcFileKind>(kind), text[kind], tooLarge))
            return 1;
    }
    constexpr int History = static_cast<int>(PcFileKind::History), Pending = static_cast<int>(PcFileKind::Pending),
                  Apps = static_cast<int>(PcFileKind::Apps), Keys = static_cast<int>(PcFileKind::Keys);
    std::vector<DayChange> changes;
    std::vector<AppsChange> appsChanges;
    PcUpdate update = PcUpdate::Done;
    if (changed[History] || changed[Pending] || changed[Apps]) {
        for (int tries = 0; tries < 3; ++tries) {
            changes.clear();
            appsChanges.clear();
            update = pc.days.Update({changed[History], text[History]}, {changed[Pending], text[Pending]},
                                    {changed[Apps], text[Apps]}, kept, names_, changes, appsChanges, false);
            // A pending day of a line (or program) not kept: that file too.
            const int needed = update == PcUpdate::NeedsHistory ? History : update == PcUpdate::NeedsApps ? Apps : -1;
            if (needed < 0)
                break;
            if (!TextOf(folder, now, static_cast<PcFileKind>(needed), text[needed], tooLarge))
                return 1;
            changed[needed] = true;
        }
    }
    if (update != PcUpdate::Done)
        return 2;
    // A change that makes a day a copy, or no longer one, moves another PC's
    // day too: read anew.
    for (const DayChange& change : changes) {
        if (AnotherHas(index, change.day, change.printBefore, false) ||
            AnotherHas(index, change.day, change.printAfter, false))
            return 2;
    }
    for (const AppsChange& change : appsChanges) {
        if (AnotherHas(index, change.day, change.printBefore, true) ||
            AnotherHas(index, change.day, change.printAfter, true))
            return 2;
    }
    HistoryCounts allTime;
    const bool keysReadable = changed[Keys] ? ReadKeysText(text[Keys], allTime) : pc.keysReadable;
    Guarded([&] {
        for (const DayChange& change : changes) {
            if (change.had)
                days_.Take(change.day, change.before);
            if (change.has)
                days_.Add(change.day, change.after);
        }
        for (const AppsChange& change : appsChanges) {
            for (const AppStroke& stroke : change.before)
                apps_.Take(stroke);
            for (const AppStroke& stroke : change.after)
                apps_.Add(stroke);
        }
        if (changed[Keys]) {
            pc.keysReadable = keysReadable;
            pc.allTime = keysReadable ? allTime : HistoryCounts{};
        }
        SumAllTime();
    });
    // A file that is too large stays passed over until it changes.
    bool stillTooLarge = false;
    for (int kind = 0; kind < PcFileKinds; ++kind) {
        pc.present[kind] = now.present[kind];
        pc.stamps[kind] = now.stamps[kind];
        stillTooLarge = stillTooLarge || (now.present[kind] && now.stamps[kind].size > LargestPcFile(static_cast<PcFileKind>(kind)));
    }
    pc.tooLarge = stillTooLarge || tooLarge;
    changed_ = true;
    return 0;
}

FolderRead OtherPcs::Refresh(SharedFolder& folder, LocalFiles& local, std::string_view ownPc, const LocalDate& today)
{
    changed_ = false;
    readAll_ = false;
    held_.clear();
    heldLocal_ = false;
    std::vector<Listed> listed;
    if (!ReadListing(folder, ownPc, listed))
        return FolderRead::Unreachable;
    const KeptDays kept = KeptDaysAround(today);
    bool anew = readAnew_ || listed.size() != pcs_.size();
    for (std::size_t at = 0; !anew && at < listed.size(); ++at)
        anew = listed[at].name != pcs_[at].name;
    // While names or programs are past their limits, what a change frees is
    // only found by reading anew.
    if (!anew && (names_.PastLimit() || apps_.PastLimit())) {
        for (std::size_t at = 0; !anew && at < listed.size(); ++at) {
            for (int kind = 0; kind < PcFileKinds; ++kind)
                anew = anew || listed[at].present[kind] != pcs_[at].present[kind] ||
                       !(listed[at].stamps[kind] == pcs_[at].stamps[kind]);
        }
    }
    if (!anew && !pcs_.empty()) {
        std::vector<DayChange> changes;
        std::vector<AppsChange> appsChanges;
        if (ReadLocal(local, kept, false, local_, names_, changes, appsChanges)) {
            // This PC's day (or programs) that became, or stopped being, another PC's.
            for (const Pc& pc : pcs_) {
                for (const DayChange& change : changes) {
                    const uint64_t print = pc.days.PrintOn(change.day);
                    anew = anew || (print != 0 && (print == change.printBefore || print == change.printAfter));
                }
                for (const AppsChange& change : appsChanges) {
                    const uint64_t print = pc.days.AppsPrintOn(change.day);
                    anew = anew || (print != 0 && (print == change.printBefore || print == change.printAfter));
                }
            }
            anew = anew || readAnew_;
        }
    }
    for (std::size_t at = 0; !anew && at < listed.size(); ++at) {
        const int read = ReadChanges(folder, pcs_[at], listed[at], at, kept);
        anew = read == 2;
    }
    if (anew)
        return ReadEveryPc(folder, local, listed, kept);
    return held_.empty() && !heldLocal_ ? FolderRead::Read : FolderRead::Held;
}
