#include "store/user_data.h"

#include <mutex>

#include "store/user_days.h"
#include "store/user_keys.h"
#include "store/user_record.h"
#include "users/user_list.h"
#include "win/ansi_text.h"
#include "win/app_text.h"
#include "win/atomic_file.h"
#include "win/modal_ui.h"
#include "win/notices.h"

char DataFilePath[PathCapacity] = "";
char CurrentUserFile[PathCapacity] = "";
std::atomic<LONG> ResetMode{0};

namespace {

// The save each minute runs on the interface thread and the reset after a
// registration on the polling thread: one file operation at a time, so that
// neither write is lost. Also guards DataFilePath and CurrentUserFile. The
// history's own lock is taken inside this one, never the other way round.
std::mutex FileLock;

UserFilesFollower Follower = nullptr;

void TellFollower(const char* dataFilePath, const char* userFile)
{
    if (Follower != nullptr && dataFilePath[0] != '\0')
        Follower(dataFilePath, userFile);
}

bool DataFilePathOf(const char* fileName, char (&path)[PathCapacity])
{
    return CopyIfFits(path, sizeof path, AppFolder) && AppendIfFits(path, sizeof path, "\\data\\") &&
           AppendIfFits(path, sizeof path, fileName);
}

void SetTitle(HWND window, const char* fileName)
{
    char title[PathCapacity + 16];
    // A file name has at most PathCapacity bytes: the title fits.
    wsprintfA(title, "Kivora - [%s]", fileName);
    SetWindowTextA(window, title);
}

bool WriteValues(const char* path, const StoredValues& values, WriteMode mode)
{
    RecordImage image;
    FormatRecordTexts(values, image);
    return WriteFileAtomically(path, image.data(), static_cast<DWORD>(image.size()), mode);
}

// Told on the icon once: the days cannot be read or written now. While a
// pending file cannot be read, nothing can take them.
void NoteDaysAtLogin(KeeperState days)
{
    NoteOutcome(Notice::DaysUnsaved, days != KeeperState::PendingUnread);
    NoteOutcome(Notice::HistoryFailed, days == KeeperState::Open || days == KeeperState::PendingUnread);
}

enum class ReadResult { Read, TooLarge, Unreadable };

// The first records of an open file, if its size is one a data file may have.
ReadResult ReadOpenFile(HANDLE file, StoredValues& values)
{
    // The whole size: a file of 4 GiB and more must not pass for its low bits.
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size))
        return ReadResult::Unreadable;
    if (size.QuadPart > LargestUserFile)
        return ReadResult::TooLarge;
    // Nothing after the 82nd record is ever looked at.
    unsigned char bytes[UserFileSize];
    DWORD wanted = size.QuadPart < UserFileSize ? static_cast<DWORD>(size.QuadPart) : UserFileSize;
    DWORD read = 0;
    if (!ReadFile(file, bytes, wanted, &read, nullptr) || read != wanted)
        return ReadResult::Unreadable;   // zeros here would have the next save wipe the file
    values = DecodeRecords(bytes, read);
    NormaliseLoadedValues(values);
    return ReadResult::Read;
}

ReadResult ReadValues(const char* path, StoredValues& values)
{
    RecoverInterruptedWrite(path, IsCompleteRecordImage);
    // A missing file is created empty and loads as zeros.
    HANDLE file = OpenFileRetrying(path, GENERIC_READ, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE)
        return ReadResult::Unreadable;
    ReadResult result = ReadOpenFile(file, values);
    CloseHandle(file);
    return result;
}

} // namespace

bool ReadUserDataReadOnly(const char* path, StoredValues& values)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool read = ReadOpenFile(file, values) == ReadResult::Read;
    CloseHandle(file);
    return read;
}

int LoadUserData(HWND window, HWND boxOwner)
{
    if (SelectedUser < 0 || SelectedUser >= MaxUsers || UserFiles[SelectedUser][0] == '\0')
        return -1;
    const char* fileName = UserFiles[SelectedUser];
    char path[PathCapacity];
    if (!DataFilePathOf(fileName, path)) {
        ShowMessage(boxOwner, "データファイルのパスが長すぎるため、読み込めません。", AppText::ErrorCaption, MB_OK);
        return -1;
    }

    ReadResult result;
    KeeperState days = KeeperState::Closed;
    {
        // Never held across a message box or anything else that may run a
        // message loop: whatever saves inside it (the end of the session)
        // takes this lock.
        std::lock_guard<std::mutex> guard(FileLock);
        StoredValues values{};
        result = ReadValues(path, values);
        if (result == ReadResult::Read) {
            const OtherCounts others = OpenUserKeys(path);
            ApplyStoredValues(Counters, values);
            OtherKeys.Store(others);
            Counters.RefreshCountTexts();
            CopyIfFits(DataFilePath, sizeof DataFilePath, path);
            CopyIfFits(CurrentUserFile, sizeof CurrentUserFile, fileName);
            days = OpenUserHistory(path, SnapshotOf(values, others));
        }
    }
    switch (result) {
    case ReadResult::TooLarge:
        ShowMessage(boxOwner, "ファイルサイズが大きすぎます", "Tool Big File!", MB_OK);
        return -1;
    case ReadResult::Unreadable:
        ShowMessage(boxOwner, "データファイルを読み込めませんでした。", AppText::ErrorCaption, MB_OK);
        return -1;
    case ReadResult::Read:
        break;
    }
    SetTitle(window, fileName);
    NameNoticeFiles(fileName);
    NoteDaysAtLogin(days);
    TellFollower(path, fileName);
    // A pending second zeroing belongs to the user just registered, never to
    // the one loaded now.
    NewUserPending = 0;
    return 0;
}

void FollowUserFiles(UserFilesFollower follower) { Follower = follower; }

void FollowUserFilesNow()
{
    char dataFile[PathCapacity];
    char userFile[PathCapacity];
    {
        std::lock_guard<std::mutex> guard(FileLock);
        CopyIfFits(dataFile, sizeof dataFile, DataFilePath);
        CopyIfFits(userFile, sizeof userFile, CurrentUserFile);
    }
    TellFollower(dataFile, userFile);
}

int SaveUserData(SaveKind kind)
{
    bool saved;
    bool keysSaved;
    DaysSaved daysSaved;
    char path[PathCapacity];
    char userFile[PathCapacity];
    {
        std::lock_guard<std::mutex> guard(FileLock);
        if (DataFilePath[0] == '\0')
            return 0;
        CopyIfFits(path, sizeof path, DataFilePath);
        CopyIfFits(userFile, sizeof userFile, CurrentUserFile);
        StoredValues values = CollectStoredValues(Counters);
        const HistoryCounts allTime = SnapshotOf(values, OtherKeys.Counts());
        // The days first, then the keys file, then the data file, each
        // written whether or not the one before could be. A kill after the
        // days leaves the strokes since the last save in their day and in
        // neither all-time file; one after the keys file, in their day and in
        // the keys file's other keys, while the data file, which stays the
        // truth for its own keys, has them not yet: a stroke is never in an
        // all-time count without its day.
        daysSaved = SaveUserHistory(allTime, kind);
        keysSaved = SaveUserKeys(allTime);
        saved = WriteValues(DataFilePath, values, WriteMode::Replace);
    }
    NoteOutcome(Notice::KeysUnsaved, keysSaved);
    NoteOutcome(Notice::HistoryFailed, daysSaved != DaysSaved::Pending);
    NoteOutcome(Notice::HistoryFull, daysSaved != DaysSaved::Full);
    NoteOutcome(Notice::DaysUnsaved, daysSaved != DaysSaved::InMemory);
    TellFollower(path, userFile);
    return saved ? 0 : -1;
}

int ResetUserData(HWND window)
{
    bool resetCurrentUser = ResetMode.exchange(0) == 1;
    StoredValues zeros{};
    if (resetCurrentUser) {
        std::lock_guard<std::mutex> guard(FileLock);
        const HistoryCounts before = AllTimeCounts();
        Counters.ZeroStoredValues();
        OtherKeys.Store({});
        Counters.RefreshCountTexts();
        // The totals start again; the days keep what they counted.
        RebaseHistory(before, HistoryCounts{});
        InvalidateRect(window, nullptr, FALSE);
        bool keysReset = ResetUserKeys();
        return WriteValues(DataFilePath, zeros, WriteMode::Replace) && keysReset ? 0 : -1;
    }

    // A new user: the file comes first, so that a name that cannot be created
    // leaves the logged-in user's counts and file as they were.
    char fileName[NewUserNameCapacity + 4];
    char path[PathCapacity];
    if (!CopyIfFits(fileName, sizeof fileName, NewUserName) || !AppendIfFits(fileName, sizeof fileName, ".dat") ||
        !DataFilePathOf(fileName, path))
        return -1;
    KeeperState days;
    {
        std::lock_guard<std::mutex> guard(FileLock);
        // Files an earlier user of the name left are marked as theirs before
        // the new user exists: a restart at any point never takes them for
        // the new user's.
        MarkEarlierUsersKeys(path);
        MarkEarlierUsersDays(path);
        if (!WriteValues(path, zeros, WriteMode::CreateNew))
            return -1;
        Counters.ZeroStoredValues();
        OtherKeys.Store({});
        Counters.RefreshCountTexts();
        InvalidateRect(window, nullptr, FALSE);
        CopyIfFits(DataFilePath, sizeof DataFilePath, path);
        CopyIfFits(CurrentUserFile, sizeof CurrentUserFile, fileName);
        StartNewUserKeys(path);
        days = StartNewUserHistory(path);
    }
    SetTitle(window, fileName);
    NameNoticeFiles(fileName);
    NoteDaysAtLogin(days);
    return 0;
}
