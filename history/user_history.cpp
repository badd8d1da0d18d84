#include "history/user_history.h"

#include "win/ansi_text.h"
#include "win/atomic_file.h"
#include "win/wide_text.h"

namespace {

// A file held a little longer than the writer's few tries: an antivirus
// scan, a backup. Only the commands wait this long.
constexpr int PatientTries = 10;
constexpr DWORD PatientDelayMs = 100;

uint64_t Joined(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

bool StampOfOpenFile(HANDLE file, FileStamp& stamp)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info))
        return false;
    stamp.size = Joined(info.nFileSizeHigh, info.nFileSizeLow);
    stamp.time = Joined(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
    stamp.identity = Joined(info.nFileIndexHigh, info.nFileIndexLow) ^ (static_cast<uint64_t>(info.dwVolumeSerialNumber) << 17);
    return true;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

} // namespace

bool KeepAsBackup(const std::string& path, bool copy)
{
    for (int number = 1; number < 10000; ++number) {
        std::string backup = path + ".bak" + (number > 1 ? std::to_string(number) : std::string());
        if (copy ? CopyFileA(path.c_str(), backup.c_str(), TRUE)
                 : MoveFileExA(path.c_str(), backup.c_str(), MOVEFILE_WRITE_THROUGH))
            return true;
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

bool HistoryPathOf(const char* dataFilePath, std::string& historyPath)
{
    std::string path = dataFilePath;
    if (path.size() < 4 || !EndsWithIgnoringCase(path.c_str(), ".dat"))
        return false;
    path.replace(path.size() - 4, 4, ".history.csv");
    if (path.size() + 5 > MAX_PATH)   // with the save's ".tmp"
        return false;
    historyPath = path;
    return true;
}

std::string PendingPathOf(const std::string& historyPath)
{
    return historyPath.substr(0, historyPath.size() - 4) + ".pending";   // ".csv" off
}

std::string AppsPathOf(const std::string& historyPath)
{
    return historyPath.substr(0, historyPath.size() - 12) + ".apps.csv";   // ".history.csv" off
}

LocalDate TodaysDate()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}

FileRead ReadHistoryFile(const std::string& path, std::string& text, FileStamp& stamp)
{
    // Shared with any writer, and tried again for a moment while another
    // program (an antivirus, a backup) holds the file.
    HANDLE file = OpenFileRetrying(path.c_str(), GENERIC_READ, OPEN_EXISTING,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (file == INVALID_HANDLE_VALUE) {
        switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return FileRead::Missing;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_ACCESS_DENIED:
            return FileRead::Held;
        default:
            return FileRead::Unreadable;   // a share that went away, a disk error: looked at again
        }
    }
    // A locked range or an I/O error after the open is no verdict on the
    // file: it is there, and is read again later.
    FileRead outcome = FileRead::Unreadable;
    LARGE_INTEGER size;
    if (StampOfOpenFile(file, stamp) && GetFileSizeEx(file, &size)) {
        if (size.QuadPart > static_cast<LONGLONG>(LargestHistoryFile)) {
            outcome = FileRead::Refused;
        } else {
            text.resize(static_cast<std::size_t>(size.QuadPart));
            DWORD read = 0;
            if (text.empty() ||
                (ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr) && read == text.size()))
                outcome = FileRead::Read;
        }
    }
    CloseHandle(file);
    return outcome;
}

std::string LeftoverMarkOf(const std::string& path) { return path + ".leftover"; }

bool SetLeftoverMark(const std::string& path, bool earlierUsers)
{
    const std::string mark = LeftoverMarkOf(path);
    if (!earlierUsers)
        return DeleteFileA(mark.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    return WriteFileAtomically(mark.c_str(), {std::string_view()}, WriteMode::Replace);
}

bool HasLeftoverMark(const std::string& path)
{
    if (GetFileAttributesA(LeftoverMarkOf(path).c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    // One that cannot be looked at is taken to be there: a file is never
    // taken for the new user's on a doubt.
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

UserHistoryFiles::UserHistoryFiles(const std::string& historyPath, bool patient)
    : paths_{historyPath, PendingPathOf(historyPath), AppsPathOf(historyPath)}, patient_(patient)
{
}

std::string UserHistoryFiles::NameOf(DiskFile file) const
{
    const std::string& path = PathOf(file);
    return path.substr(path.find_last_of('\\') + 1);
}

FileRead UserHistoryFiles::Read(DiskFile file, std::string& text, FileStamp& stamp)
{
    FileRead read = ReadHistoryFile(PathOf(file), text, stamp);
    for (int tries = patient_ ? PatientTries : 0; read == FileRead::Held && tries > 0; --tries) {
        Sleep(PatientDelayMs);
        read = ReadHistoryFile(PathOf(file), text, stamp);
    }
    return read;
}

bool UserHistoryFiles::Stamp(DiskFile file, FileStamp& stamp)
{
    // No access asked for: a file that another program holds can still be
    // looked at.
    HANDLE handle = CreateFileW(WideFromCodePage(PathOf(file).c_str()).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    bool known = StampOfOpenFile(handle, stamp);
    CloseHandle(handle);
    return known;
}

bool UserHistoryFiles::Replace(DiskFile file, std::initializer_list<std::string_view> pieces)
{
    return WriteFileAtomically(PathOf(file).c_str(), pieces, WriteMode::Replace);
}

bool UserHistoryFiles::Remove(DiskFile file)
{
    return DeleteFileA(PathOf(file).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool UserHistoryFiles::Exists(DiskFile file) { return ::Exists(PathOf(file)); }

bool UserHistoryFiles::MoveAside(DiskFile file) { return KeepAsBackup(PathOf(file), false); }

bool UserHistoryFiles::CopyAside(DiskFile file) { return KeepAsBackup(PathOf(file), true); }

bool UserHistoryFiles::Mark(DiskFile file, bool earlierUsers) { return SetLeftoverMark(PathOf(file), earlierUsers); }

bool UserHistoryFiles::Marked(DiskFile file) { return HasLeftoverMark(PathOf(file)); }
