#pragma once
// The other PCs' files in the user's shared folder, each read again only when
// its size or time has changed, and added up: their days by date, their
// all-time counts and their days per program. This PC's own files (its name
// and id) are never read: its local files are the truth for it.
//
// A day copied from another PC counts once. A line with strokes that is,
// count for count, this PC's line of that date, or the line of that date of
// a PC read before it (in name order), is left out, and that PC's programs
// of the day with it. Two PCs do not strike every key the same number of
// times in the same seconds; a copy does: a Kivora folder or disk copied to
// another PC, which keeps the days it was copied with, or this PC's own files
// under an id it had before.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "history/app_days.h"
#include "sync/pc_files.h"
#include "sync/shared_folder.h"

struct OtherPcSums {
    std::vector<HistoryDay> days;   // in date order, one a date
    HistoryCounts allTime;          // their keys files added up
    AppBook apps;                   // their programs by day
    int pcs = 0;                    // PCs with a file that could be read
};

enum class FolderRead {
    Read,          // every file of another PC as it is now
    Unreachable,   // the folder cannot be listed: the sums stay as they were
    Held,          // a file could not be read now: its last reading stays in the sums
};

class OtherPcs {
public:
    // Reads the files that changed, forgets those that went and adds up anew.
    // localDays: this PC's days, in date order.
    FolderRead Refresh(SharedFolder& folder, std::string_view ownPc, const std::vector<HistoryDay>& localDays,
                       const LocalDate& today);
    const OtherPcSums& Sums() const { return sums_; }
    // Nothing read: another folder.
    void Forget() { files_.clear(); }
    // Moves the sums out, for a reader on another thread.
    OtherPcSums TakeSums() { return std::move(sums_); }
    // The name of a file that could not be read at the last refresh.
    const std::string& HeldFile() const { return held_; }

private:
    struct PcFile {
        PcFileName name;
        FileStamp stamp;
        bool readable = false;          // of its kind's form: it counts
        std::vector<HistoryDay> days;   // a history's
        std::vector<char> copies;       // which of its days are copies, at the last adding up
        HistoryCounts allTime;          // a keys file's
        AppBook apps;                   // an apps file's
    };
    void Read(PcFile& file, const std::string& text, const LocalDate& today);
    void FindCopies(std::size_t file, const std::vector<HistoryDay>& localDays);
    void AddUp(const std::vector<HistoryDay>& localDays);

    std::vector<PcFile> files_;
    OtherPcSums sums_;
    std::string held_;
};
