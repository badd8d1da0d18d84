#pragma once
// This PC's files in the shared folder: copies of its local history, pending
// file, keys, apps and shortcuts files, each written in one step when the local file
// changed, and never over a file that another installation wrote under this
// PC's name. Whether a local file changed is told by its stamp (size, time,
// identity): a minute in which only the pending file changed reads and
// writes that small file alone, however many years the history holds.
//
// A local pending file that has gone (its days are in the history) leaves
// its copy as the header alone, so that no other PC folds its old floors in
// again; a local apps.csv that has gone (deleted from the Options dialog)
// takes its copy with it, and so does a local shortcuts.csv.
//
// Another installation writes under this PC's name when a disk or a Kivora
// folder is copied with its set.ini: two installations then have the same
// id and, on a cloned disk, the same computer name. It shows in the folder
// as a file of this PC's name that is not what this PC last wrote there in
// this run or, at the first look in a run, a history that is not the local
// history nor an earlier state of it (a copy that the last run could not
// bring up to date). The caller then takes a new id; the files of the old
// one are left as they are.
#include <cstdint>
#include <string>
#include <string_view>

#include "sync/pc_files.h"
#include "sync/shared_folder.h"

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

    // Writes each local file that changed as the pc's file, the pending file
    // first (a reader that meets the new history with the old pending file
    // then takes a floor it has passed, never an add twice).
    CopyResult Copy(SharedFolder& folder, LocalFiles& local, std::string_view pc);

private:
    // What this run last wrote (or found its own) under each kind's name,
    // and the local file it came from.
    struct Written {
        bool known = false;
        FileStamp stamp;
        uint64_t print = 0;
        bool localKnown = false;
        bool localPresent = false;
        FileStamp local;
    };
    enum class Look { Own, Foreign, Held };
    Look LookAtHistory(SharedFolder& folder, LocalFiles& local, std::string_view pc);
    CopyResult CopyKind(SharedFolder& folder, LocalFiles& local, std::string_view pc, PcFileKind kind);

    Written written_[PcFileKinds];
    bool looked_ = false;   // the history's copy has been looked at in this run
};
