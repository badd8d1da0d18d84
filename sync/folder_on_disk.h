#pragma once
// The user's folder in the shared folder, on disk: what the PCs' files are
// listed, read and written through. Its path is code page 932, as set.ini
// keeps it. Beside it, this PC's own files of the user in its data folder.
#include <string>

#include "sync/shared_folder.h"

// This computer's name as the PCs' files carry it (PcNameOf).
std::string ThisComputersName();

class FolderOnDisk final : public SharedFolder {
public:
    // patient: a held file is tried again for about a second (the commands,
    // which may wait; the worker tries again at the next save instead).
    FolderOnDisk(std::string folder, bool patient) : folder_(std::move(folder)), patient_(patient) {}

    bool List(std::vector<FolderEntry>& files) override;
    FileRead Read(const std::string& name, std::string& text) override;
    bool Stamp(const std::string& name, FileStamp& stamp) override;
    bool Replace(const std::string& name, std::string_view text) override;
    bool Remove(const std::string& name) override;

    std::string PathOf(const std::string& name) const;

private:
    std::string folder_;
    bool patient_;
};

// The user's files beside a data file: "taro.dat" gives taro.history.csv,
// taro.keys.csv, taro.apps.csv, taro.shortcuts.csv and taro.history.pending.
class LocalFilesOnDisk final : public LocalFiles {
public:
    // False from Usable when the data file's path leaves no room for them.
    LocalFilesOnDisk(const std::string& dataFile, bool patient);
    bool Usable() const { return usable_; }

    FileRead Read(PcFileKind kind, std::string& text) override;
    FileRead Stamp(PcFileKind kind, FileStamp& stamp) override;

    const std::string& PathOf(PcFileKind kind) const { return paths_[static_cast<int>(kind)]; }

private:
    std::string paths_[PcFileKinds];
    bool usable_ = false;
    bool patient_;
};
