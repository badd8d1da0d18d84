#include "sync/other_pcs.h"

#include <algorithm>

namespace {

// This PC's files that tell its copies, in the order OtherPcs keeps them.
constexpr PcFileKind LocalOrder[] = {PcFileKind::History, PcFileKind::Pending, FileKindOf(Tally::Apps),
                                     FileKindOf(Tally::Shortcuts)};
static_assert(std::size(LocalOrder) == 2 + TallyKinds);

// Where a local file kind sits among them.
int LocalIndexOf(PcFileKind kind)
{
    return static_cast<int>(std::find(std::begin(LocalOrder), std::end(LocalOrder), kind) - std::begin(LocalOrder));
}

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

// The same for a day's programs (or shortcuts), by their print: copied with
// the day, they count once; the day's copy alone leaves them their PC's.
template <typename Pcs>
bool TallyCounts(const Pcs& pcs, const PcDays& local, std::size_t index, const AppsChange& change)
{
    if (change.printAfter == 0)
        return true;
    if (local.TallyPrintOn(change.kind, change.day) == change.printAfter)
        return false;
    for (std::size_t earlier = 0; earlier < index; ++earlier) {
        if (pcs[earlier].days.TallyPrintOn(change.kind, change.day) == change.printAfter)
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

bool OtherPcs::TalliesPastLimit() const
{
    for (int kind = 0; kind < TallyKinds; ++kind) {
        if (names_[kind].PastLimit() || tallies_[kind].PastLimit())
            return true;
    }
    return false;
}

bool OtherPcs::PastLimits() const
{
    bool past = tooManyPcs_ || TalliesPastLimit();
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

bool OtherPcs::ReadLocal(LocalFiles& local, const KeptDays& kept, bool everything, PcDays& days, TallyNames& names,
                         std::vector<DayChange>& changes, std::vector<AppsChange>& appsChanges)
{
    bool present[LocalKinds];
    FileStamp stamps[LocalKinds];
    bool changed[LocalKinds];
    bool any = false;
    for (int at = 0; at < LocalKinds; ++at) {
        FileRead looked = local.Stamp(LocalOrder[at], stamps[at]);
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
    std::string texts[LocalKinds];
    auto read = [&](int at) {
        if (!present[at])
            return true;
        switch (local.Read(LocalOrder[at], texts[at])) {
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
    for (int at = 0; at < LocalKinds; ++at) {
        if (changed[at] && !read(at))
            return false;
    }
    PcUpdate update = PcUpdate::Done;
    if (everything) {
        days.Load(texts[0], texts[1], {texts[2], texts[3]}, kept, names, [](int32_t, uint64_t, const CompactDay&) {},
                  [](const AppsChange&) {});
    }
    // Each file the pending file needs is read once: at most one try each.
    for (int tries = 0; tries < LocalKinds && !everything; ++tries) {
        changes.clear();
        appsChanges.clear();
        update = days.Update({changed[0], texts[0]}, {changed[1], texts[1]},
                             {NewText{changed[2], texts[2]}, NewText{changed[3], texts[3]}}, kept, names, changes,
                             appsChanges, everything);
        const std::optional<PcFileKind> needed = FileNeeded(update);
        if (!needed)
            break;
        changed[LocalIndexOf(*needed)] = true;
        if (!read(LocalIndexOf(*needed)))
            return false;
    }
    for (int at = 0; at < LocalKinds; ++at) {
        localPresent_[at] = present[at];
        localStamps_[at] = stamps[at];
    }
    if (update != PcUpdate::Done)
        readAnew_ = true;
    return true;
}

bool OtherPcs::AnotherHas(std::size_t index, int32_t day, uint64_t print, std::optional<Tally> tally) const
{
    auto printOf = [&](const PcDays& days) { return tally ? days.TallyPrintOn(*tally, day) : days.PrintOn(day); };
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
    bool localPresent[LocalKinds];
    FileStamp localStamps[LocalKinds];
    std::copy(std::begin(localPresent_), std::end(localPresent_), localPresent);
    std::copy(std::begin(localStamps_), std::end(localStamps_), localStamps);
    auto keepLocalStamps = [&] {
        std::copy(std::begin(localPresent), std::end(localPresent), localPresent_);
        std::copy(std::begin(localStamps), std::end(localStamps), localStamps_);
    };
    TallyNames names;
    // This PC's days only tell copies among other PCs' days: without any,
    // they are not read (and are, in full, once one comes).
    if (!listed.empty() && !ReadLocal(local, kept, true, localDays, names, changes, appsChanges)) {
        keepLocalStamps();
        return FolderRead::Held;
    }
    std::vector<Pc> pcs;
    pcs.reserve(listed.size());
    DaySums days;
    TallySums tallies;
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
        // their prints, and its tallies' strokes until they are merged.
        std::array<std::vector<AppStroke>, TallyKinds> counted;
        pc.days.Load(
            text[static_cast<int>(PcFileKind::History)], text[static_cast<int>(PcFileKind::Pending)],
            {text[static_cast<int>(FileKindOf(Tally::Apps))], text[static_cast<int>(FileKindOf(Tally::Shortcuts))]},
            kept, names,
            [&](int32_t day, uint64_t print, const CompactDay& counts) {
                if (DayCounts(pcs, localDays, index, day, print))
                    days.Add(day, counts);
            },
            [&](const AppsChange& change) {
                if (TallyCounts(pcs, localDays, index, change)) {
                    std::vector<AppStroke>& into = counted[static_cast<int>(change.kind)];
                    into.insert(into.end(), change.after.begin(), change.after.end());
                }
            });
        for (int kind = 0; kind < TallyKinds; ++kind)
            tallies[kind].AddAll(counted[kind]);
        pcs.push_back(std::move(pc));
    }
    for (AppSums& sums : tallies)
        sums.ShrinkToFit();
    Guarded([&] {
        pcs_ = std::move(pcs);
        local_ = std::move(localDays);
        days_ = std::move(days);
        tallies_ = std::move(tallies);
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
                  Apps = static_cast<int>(PcFileKind::Apps), Shortcuts = static_cast<int>(PcFileKind::Shortcuts),
                  Keys = static_cast<int>(PcFileKind::Keys);
    std::vector<DayChange> changes;
    std::vector<AppsChange> appsChanges;
    PcUpdate update = PcUpdate::Done;
    if (changed[History] || changed[Pending] || changed[Apps] || changed[Shortcuts]) {
        for (int tries = 0; tries < LocalKinds; ++tries) {
            changes.clear();
            appsChanges.clear();
            update = pc.days.Update({changed[History], text[History]}, {changed[Pending], text[Pending]},
                                    {NewText{changed[Apps], text[Apps]}, NewText{changed[Shortcuts], text[Shortcuts]}},
                                    kept, names_, changes, appsChanges, false);
            // A pending day of a line (or name) not kept: that file too.
            const std::optional<PcFileKind> needed = FileNeeded(update);
            if (!needed)
                break;
            const int at = static_cast<int>(*needed);
            if (!TextOf(folder, now, *needed, text[at], tooLarge))
                return 1;
            changed[at] = true;
        }
    }
    if (update != PcUpdate::Done)
        return 2;
    // A change that makes a day a copy, or no longer one, moves another PC's
    // day too: read anew.
    for (const DayChange& change : changes) {
        if (AnotherHas(index, change.day, change.printBefore, std::nullopt) ||
            AnotherHas(index, change.day, change.printAfter, std::nullopt))
            return 2;
    }
    for (const AppsChange& change : appsChanges) {
        if (AnotherHas(index, change.day, change.printBefore, change.kind) ||
            AnotherHas(index, change.day, change.printAfter, change.kind))
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
            AppSums& sums = tallies_[static_cast<int>(change.kind)];
            for (const AppStroke& stroke : change.before)
                sums.Take(stroke);
            for (const AppStroke& stroke : change.after)
                sums.Add(stroke);
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
    // While names or entries are past their limits, what a change frees is
    // only found by reading anew.
    if (!anew && TalliesPastLimit()) {
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
            // This PC's day (or tally) that became, or stopped being, another PC's.
            for (const Pc& pc : pcs_) {
                for (const DayChange& change : changes) {
                    const uint64_t print = pc.days.PrintOn(change.day);
                    anew = anew || (print != 0 && (print == change.printBefore || print == change.printAfter));
                }
                for (const AppsChange& change : appsChanges) {
                    const uint64_t print = pc.days.TallyPrintOn(change.kind, change.day);
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
