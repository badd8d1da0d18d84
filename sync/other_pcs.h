#pragma once
// The other PCs' files in the user's shared folder, added up as they are
// read: their days by date (each PC's history folded with its pending
// file), the all-time counts of their keys files, and their programs and
// their shortcuts by date (each tally apart, under its own names and
// limits). This PC's own files (its name and id) are never read: its local
// files are the truth for it.
//
// The files come from other PCs, from a sync engine and from anyone who can
// write to the folder: they are read bounded (compact_days.h, pc_days.h):
// at most MostPcs PCs in name order, a file larger than its kind's limit
// passed over (pc_files.h), and what goes past a limit is told by
// PastLimits. What is kept does not depend on what the files claim.
//
// A file is read again only when its size or time changed. Each minute a
// PC's pending file changes, and only its few days are taken out of the sums
// and put back; a history, apps.csv or shortcuts.csv that changed is read
// alone and only its changed days move, as long as they are days whose
// counts before are kept (its last days and its pending days). Anything else
// (a PC that came or went, old days edited, a copy found or lost) reads
// every PC anew.
//
// A day copied from another PC counts once. A day with strokes that is,
// count for count, this PC's day of that date (its history folded with its
// pending file), or the day of that date of a PC before it (in name order),
// is left out; so are a day's programs (its shortcuts) that are, count for
// count, this PC's or an earlier PC's of that date. Two PCs do not strike every key the same
// number of times in the same seconds; a copy does: a Kivora folder or disk
// copied to another PC, which keeps the days it was copied with.
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/app_days.h"
#include "sync/compact_days.h"
#include "sync/pc_days.h"
#include "sync/shared_folder.h"

enum class FolderRead {
    Read,          // every file of another PC as it is now
    Unreachable,   // the folder cannot be listed: the sums stay as they were
    Held,          // a file could not be read now: its last reading stays in the sums
};

class OtherPcs {
public:
    // guard: held while what the readers see changes, when they are on
    // another thread; never while a file is read.
    explicit OtherPcs(std::mutex* guard = nullptr) : guard_(guard) {}

    // Reads the files that changed, this PC's history and pending file among
    // them, and moves the sums.
    FolderRead Refresh(SharedFolder& folder, LocalFiles& local, std::string_view ownPc, const LocalDate& today);
    // Another folder or user: everything is read anew at the next refresh.
    void Forget();

    // What the readers see.
    const DaySums& Days() const { return days_; }
    const AppSums& Tallied(Tally kind) const { return tallies_[static_cast<int>(kind)]; }
    const AppNames& NamesOf(Tally kind) const { return names_[static_cast<int>(kind)]; }
    // A tally's names over the range, added up.
    AppCounts TallySum(Tally kind, const DateRange& range) const { return Tallied(kind).Sum(range, NamesOf(kind)); }
    const HistoryCounts& AllTime() const { return allTime_; }
    int Pcs() const { return pcsRead_; }
    // Whether the last refresh changed any of it.
    bool Changed() const { return changed_; }

    // Something was passed over for a limit (too many PCs, a file too large,
    // a day, a value, a program or a shortcut past its limit), as of the last
    // refresh.
    bool PastLimits() const;
    // The name of a file that could not be read at the last refresh, or
    // whether it was this PC's history or pending file.
    const std::string& HeldFile() const { return held_; }
    bool HeldLocal() const { return heldLocal_; }
    // Whether the last refresh read every PC anew (for the tests).
    bool ReadAll() const { return readAll_; }

private:
    struct Pc {
        std::string name;
        bool present[PcFileKinds] = {};
        FileStamp stamps[PcFileKinds];
        bool tooLarge = false;        // a file past its kind's limit, passed over
        bool keysReadable = false;
        HistoryCounts allTime;        // its keys file's
        PcDays days;
    };
    struct Listed {
        std::string name;
        bool present[PcFileKinds] = {};
        FileStamp stamps[PcFileKinds];
    };
    template <typename Change>
    void Guarded(Change change);
    bool ReadListing(SharedFolder& folder, std::string_view ownPc, std::vector<Listed>& listed);
    // The text of a PC's file for an update; false when it cannot be read now.
    bool TextOf(SharedFolder& folder, const Listed& pc, PcFileKind kind, std::string& text, bool& tooLarge);
    // This PC's history, pending file and tallies' files, read when they changed.
    static constexpr int LocalKinds = 2 + TallyKinds;
    bool ReadLocal(LocalFiles& local, const KeptDays& kept, bool everything, PcDays& days, TallyNames& names,
                   std::vector<DayChange>& changes, std::vector<AppsChange>& appsChanges);
    FolderRead ReadEveryPc(SharedFolder& folder, LocalFiles& local, const std::vector<Listed>& listed,
                           const KeptDays& kept);
    // 0: done; 1: held; 2: everything must be read anew.
    int ReadChanges(SharedFolder& folder, Pc& pc, const Listed& now, std::size_t index, const KeptDays& kept);
    // Whether this PC or another than pcs_[index] has the print on the day:
    // of its folded day, or of the tally's.
    bool AnotherHas(std::size_t index, int32_t day, uint64_t print, std::optional<Tally> tally) const;
    bool TalliesPastLimit() const;
    void SumAllTime();

    std::mutex* guard_;
    std::vector<Pc> pcs_;             // in name order
    PcDays local_;                    // this PC's days, for the copies
    bool localPresent_[LocalKinds] = {};   // its history, pending file and tallies' files
    FileStamp localStamps_[LocalKinds];
    bool readAnew_ = true;
    bool tooManyPcs_ = false;
    std::string held_;
    bool heldLocal_ = false;
    bool changed_ = false;
    bool readAll_ = false;

    DaySums days_;
    TallySums tallies_;
    TallyNames names_;
    HistoryCounts allTime_;
    int pcsRead_ = 0;
};
