#pragma once
// A user's days on disk, data\<user>.history.csv beside the data file,
// data\<user>.history.pending and data\<user>.apps.csv beside it, as the
// keeper of the days sees them (history_keeper.h): read shared with any
// other program, written in one step, tried again for a moment while another
// program holds them. Holds nothing but the paths.
#include <windows.h>

#include <string>

#include "history/history_keeper.h"

// The history file that belongs to a data file: "taro.dat" gives
// "taro.history.csv" in the same folder. False when it would not fit.
bool HistoryPathOf(const char* dataFilePath, std::string& historyPath);

// The pending days' file that belongs to a history: "taro.history.csv" gives
// "taro.history.pending".
std::string PendingPathOf(const std::string& historyPath);
// The programs' days beside a history: "taro.history.csv" gives "taro.apps.csv".
std::string AppsPathOf(const std::string& historyPath);

// Puts a file aside as path + ".bak", or ".bak2", ".bak3" and so on when
// earlier ones are there: every backup is kept. Moved, or copied; false
// when it cannot be now.
bool KeepAsBackup(const std::string& path, bool copy);

// The local date as the user's clock shows it.
LocalDate TodaysDate();

// Reads a file whole, shared with a running Kivora's saves: Missing when
// there is none, Held when another program keeps it from being opened (after
// a few tries), Unreadable when it was opened but could not be read whole
// now, Refused when it is larger than a history may be. The stamp tells a
// later change.
FileRead ReadHistoryFile(const std::string& path, std::string& text, FileStamp& stamp);

// The mark beside a file of a user's name that an earlier user of the name
// left there: path + ".leftover", empty. True when set or cleared; Has...
// is true when it is there or cannot be looked at.
std::string LeftoverMarkOf(const std::string& path);
bool SetLeftoverMark(const std::string& path, bool earlierUsers);
bool HasLeftoverMark(const std::string& path);

class UserHistoryFiles final : public HistoryDisk {
public:
    // patient: a held file is tried for about a second rather than a moment
    // (the commands, which may wait; a save each minute may not).
    explicit UserHistoryFiles(const std::string& historyPath, bool patient = false);

    FileRead Read(DiskFile file, std::string& text, FileStamp& stamp) override;
    bool Stamp(DiskFile file, FileStamp& stamp) override;
    bool Replace(DiskFile file, std::initializer_list<std::string_view> pieces) override;
    bool Remove(DiskFile file) override;
    bool Exists(DiskFile file) override;
    bool MoveAside(DiskFile file) override;
    bool CopyAside(DiskFile file) override;
    bool Mark(DiskFile file, bool earlierUsers) override;
    bool Marked(DiskFile file) override;

    const std::string& PathOf(DiskFile file) const { return paths_[static_cast<int>(file)]; }
    // The file's name without its folder ("taro.history.csv").
    std::string NameOf(DiskFile file) const;

private:
    std::string paths_[3];
    bool patient_;
};
