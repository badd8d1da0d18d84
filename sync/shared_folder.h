#pragma once
// The user's folder in the shared folder (<folder>\<user>\) as the reading
// and the writing of the PCs' files see it: Kivora's is a folder on disk,
// the tests' lives in memory and can hold or refuse a file, or be offline.
// Beside it, this PC's own files of the user in its data folder, which its
// copies come from.
#include <string>
#include <string_view>
#include <vector>

#include "history/history_keeper.h"
#include "sync/pc_files.h"

struct FolderEntry {
    std::string name;
    FileStamp stamp;   // size and last write time, as the listing gives them
};

class SharedFolder {
public:
    virtual ~SharedFolder() = default;
    // The files in it, folders left out; false when it cannot be listed
    // (missing, offline).
    virtual bool List(std::vector<FolderEntry>& files) = 0;
    // The whole file. Held while another program (the sync engine) keeps it
    // from being read, Refused when it is larger than a history may be or
    // cannot be read now: either way it is left as it is and looked at again.
    virtual FileRead Read(const std::string& name, std::string& text) = 0;
    // Its stamp as the listing gives it; false when it is not there.
    virtual bool Stamp(const std::string& name, FileStamp& stamp) = 0;
    // Replaces or makes it in one step; false, the file as it was, when it
    // cannot be written now.
    virtual bool Replace(const std::string& name, std::string_view text) = 0;
    // True when it is gone, or was not there.
    virtual bool Remove(const std::string& name) = 0;
};

// This PC's history, keys, apps, shortcuts and pending files of the user.
class LocalFiles {
public:
    virtual ~LocalFiles() = default;
    // The whole file, or Missing, Held, Refused as the shared folder's.
    virtual FileRead Read(PcFileKind kind, std::string& text) = 0;
    // Its stamp (size, time, identity) without reading it: Read when it is
    // there, Missing when it is not, Held when it cannot be looked at now.
    virtual FileRead Stamp(PcFileKind kind, FileStamp& stamp) = 0;
};
