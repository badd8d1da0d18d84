#include "store/user_keys.h"

#include <windows.h>

#include <atomic>

#include "history/user_history.h"
#include "store/keys_file.h"
#include "store/user_days.h"
#include "win/atomic_file.h"

namespace {

enum class KeysState {
    None,       // nobody logged in
    Own,        // read (or none there): each save writes it
    Unread,     // another program held it: read before it is written
    Leftover,   // an earlier user's of the name: put aside before anything is written
};

// Guarded by the store's file lock; the path changes only on the interface
// thread (a login, a registration), where the save question reads it.
struct {
    KeysState state = KeysState::None;
    std::string path;
    std::atomic<bool> unsaved{false};
} Keys;

// A held file is tried this often for a command, which may wait.
constexpr int PatientTries = 10;
constexpr DWORD PatientDelayMs = 100;

// The other keys' counts as a login takes them: true when taken. What cannot
// be read whole is put aside first (when mayMove) and what could be read is
// taken; false, with no counts, while the file is held or cannot be put
// aside.
bool TakeKeysFile(const std::string& path, OtherCounts& others, bool mayMove, int tries)
{
    others.fill(0);
    std::string text;
    FileStamp stamp;
    FileRead read = ReadHistoryFile(path, text, stamp);
    for (; read == FileRead::Held && tries > 0; --tries) {
        Sleep(PatientDelayMs);
        read = ReadHistoryFile(path, text, stamp);
    }
    if (read == FileRead::Missing)
        return true;
    // Held, or opened but not read whole now: read at a later save.
    if (read == FileRead::Held || read == FileRead::Unreadable)
        return false;
    // A file too large or unreadable is no keys file: its counts are not taken.
    if ((read == FileRead::Refused || ReadKeysFile(text, others) != KeysText::Whole) && mayMove &&
        !KeepAsBackup(path, false)) {
        others.fill(0);
        return false;
    }
    return true;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// An earlier user's file: marked first, so that a restart never takes it for
// the new user's, then moved aside, then the mark goes.
bool PutLeftoverAside(const std::string& path)
{
    if (Exists(path)) {
        if (!HasLeftoverMark(path))
            SetLeftoverMark(path, true);
        if (!KeepAsBackup(path, false))
            return false;
    }
    return !HasLeftoverMark(path) || SetLeftoverMark(path, false);
}

// A file marked as an earlier user's that is still there.
bool IsLeftover(const std::string& path) { return HasLeftoverMark(path) && (Exists(path) || !SetLeftoverMark(path, false)); }

} // namespace

std::string KeysPathOf(const char* dataFilePath)
{
    std::string path = dataFilePath;
    return path.substr(0, path.size() - 4) + ".keys.csv";   // ".dat" off
}

OtherCounts OpenUserKeys(const char* dataFilePath)
{
    Keys.path = KeysPathOf(dataFilePath);
    Keys.unsaved = false;
    RecoverInterruptedWrite(Keys.path.c_str(), IsCompleteKeysImage);
    RecoverInterruptedWrite(LeftoverMarkOf(Keys.path).c_str(), nullptr);
    OtherCounts others;
    others.fill(0);
    if (IsLeftover(Keys.path))
        Keys.state = KeysState::Leftover;
    else
        Keys.state = TakeKeysFile(Keys.path, others, true, 0) ? KeysState::Own : KeysState::Unread;
    return others;
}

void StartNewUserKeys(const char* dataFilePath)
{
    Keys.path = KeysPathOf(dataFilePath);
    Keys.unsaved = false;
    Keys.state = PutLeftoverAside(Keys.path) ? KeysState::Own : KeysState::Leftover;
}

bool SaveUserKeys(const HistoryCounts& allTime)
{
    HistoryCounts counts = allTime;
    bool ready = true;
    switch (Keys.state) {
    case KeysState::None:
        return true;
    case KeysState::Own:
        break;
    case KeysState::Leftover:
        ready = PutLeftoverAside(Keys.path);
        break;
    case KeysState::Unread: {
        OtherCounts late;
        ready = TakeKeysFile(Keys.path, late, true, 0);
        if (!ready)
            break;
        for (int slot = 0; slot < OtherKeyCount; ++slot)
            counts.keys[DataFileKeyCount + slot] += late[slot];
        OtherKeys.Add(late);
        // Counted before this login: no day's strokes.
        RebaseHistory(allTime, counts);
        break;
    }
    }
    if (ready)
        Keys.state = KeysState::Own;
    Keys.unsaved = !ready || !WriteFileAtomically(Keys.path.c_str(), {FormatKeysFile(counts)}, WriteMode::Replace);
    return !Keys.unsaved;
}

bool ResetUserKeys()
{
    // What the file held is reset too, read or not.
    if (Keys.state == KeysState::Unread)
        Keys.state = KeysState::Own;
    return SaveUserKeys(HistoryCounts{});
}

std::string UnsavedKeysName()
{
    return Keys.unsaved ? Keys.path.substr(Keys.path.find_last_of('\\') + 1) : std::string();
}

void MarkEarlierUsersKeys(const char* dataFilePath)
{
    const std::string path = KeysPathOf(dataFilePath);
    if (Exists(path) && !HasLeftoverMark(path))
        SetLeftoverMark(path, true);
}

bool ReadUserKeysReadOnly(const char* dataFilePath, OtherCounts& others)
{
    const std::string path = KeysPathOf(dataFilePath);
    if (HasLeftoverMark(path) && Exists(path)) {
        others.fill(0);   // an earlier user's
        return true;
    }
    return TakeKeysFile(path, others, false, PatientTries);
}
