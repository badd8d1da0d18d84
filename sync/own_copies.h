#pragma once
// This PC's files in the shared folder: copies of its local history, keys
// and apps files, each written in one step when it differs from the local
// file, and never over a file that another installation wrote under this
// PC's name.
//
// That happens when a disk or a Kivora folder is copied with its set.ini:
// two installations then have the same id and, on a cloned disk, the same
// computer name. It shows in the folder as a file of this PC's name that is
// not what this PC last wrote there in this run or, at the first look in a
// run, not the local file nor, for the history, an earlier state of it (a
// copy that the last run could not bring up to date). The caller then takes
// a new id; the files of the old one are left as they are.
#include <cstdint>
#include <string>
#include <string_view>

#include "sync/pc_files.h"
#include "sync/shared_folder.h"

// A local file as read for copying: Read (text holds it), Missing (nothing to
// copy, and a copy already in the folder stays), Held or Refused (tried again
// at the next save).
struct LocalFile {
    FileRead read = FileRead::Missing;
    std::string text;
};

enum class CopyResult {
    Done,      // every local file is in the folder as it is now
    Held,      // a local or folder file could not be read now: tried again at the next save
    Failed,    // a copy could not be written
    Foreign,   // a file of this PC's name was written by another installation: nothing written
};

class OwnCopies {
public:
    // What was written is forgotten: another folder, user or name.
    void Forget();

    // Writes each local file that differs from its copy in the folder as the
    // pc's file, the history first.
    CopyResult Copy(SharedFolder& folder, std::string_view pc, const LocalFile (&local)[PcFileKinds],
                    const LocalDate& today);

private:
    // What this run last wrote (or found its own) under each kind's name.
    struct Written {
        bool known = false;
        FileStamp stamp;
        uint64_t print = 0;
    };
    bool IsOwn(const std::string& text, PcFileKind kind, const LocalFile& local, const LocalDate& today) const;

    Written written_[PcFileKinds];
    bool looked_ = false;   // the history's copy has been looked at in this run
};
