#include "sync/folder_on_disk.h"

#include <windows.h>

#include "history/user_history.h"
#include "sync/pc_files.h"
#include "win/atomic_file.h"
#include "win/wide_text.h"

namespace {

constexpr int PatientTries = 10;
constexpr DWORD PatientDelayMs = 100;

uint64_t Joined(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

FileStamp StampOf(DWORD sizeHigh, DWORD sizeLow, const FILETIME& written)
{
    return {Joined(sizeHigh, sizeLow), Joined(written.dwHighDateTime, written.dwLowDateTime), 0};
}

} // namespace

std::string ThisComputersName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = L"";
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(name, &size);
    return PcNameOf(name);
}

std::string FolderOnDisk::PathOf(const std::string& name) const { return folder_ + '\\' + name; }

bool FolderOnDisk::List(std::vector<FolderEntry>& files)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(PathOf("*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;   // a folder that is there has "." at least
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back({found.cFileName, StampOf(found.nFileSizeHigh, found.nFileSizeLow, found.ftLastWriteTime)});
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}

FileRead FolderOnDisk::Read(const std::string& name, std::string& text)
{
    FileStamp stamp;
    FileRead read = ReadHistoryFile(PathOf(name), text, stamp);
    for (int tries = patient_ ? PatientTries : 0; read == FileRead::Held && tries > 0; --tries) {
        Sleep(PatientDelayMs);
        read = ReadHistoryFile(PathOf(name), text, stamp);
    }
    return read;
}

bool FolderOnDisk::Stamp(const std::string& name, FileStamp& stamp)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(PathOf(name).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    stamp = StampOf(data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
    return true;
}

bool FolderOnDisk::Replace(const std::string& name, std::string_view text)
{
    return WriteFileAtomically(PathOf(name).c_str(), {text}, WriteMode::Replace);
}

bool FolderOnDisk::Remove(const std::string& name)
{
    return DeleteFileA(PathOf(name).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

LocalFilesOnDisk::LocalFilesOnDisk(const std::string& dataFile, bool patient) : patient_(patient)
{
    std::string history;
    if (!HistoryPathOf(dataFile.c_str(), history))
        return;
    paths_[static_cast<int>(PcFileKind::History)] = history;
    paths_[static_cast<int>(PcFileKind::Pending)] = PendingPathOf(history);
    paths_[static_cast<int>(PcFileKind::Apps)] = AppsPathOf(history);
    paths_[static_cast<int>(PcFileKind::Shortcuts)] = ShortcutsPathOf(history);
    paths_[static_cast<int>(PcFileKind::Keys)] = dataFile.substr(0, dataFile.size() - 4) + ".keys.csv";
    usable_ = true;
}

FileRead LocalFilesOnDisk::Read(PcFileKind kind, std::string& text)
{
    if (!usable_)
        return FileRead::Missing;
    FileStamp stamp;
    FileRead read = ReadHistoryFile(PathOf(kind), text, stamp);
    for (int tries = patient_ ? PatientTries : 0; read == FileRead::Held && tries > 0; --tries) {
        Sleep(PatientDelayMs);
        read = ReadHistoryFile(PathOf(kind), text, stamp);
    }
    return read;
}

FileRead LocalFilesOnDisk::Stamp(PcFileKind kind, FileStamp& stamp)
{
    if (!usable_)
        return FileRead::Missing;
    // No access asked for: a file that another program holds can still be
    // looked at, and a replace by rename gives it a new identity.
    HANDLE handle = CreateFileW(WideFromCodePage(PathOf(kind).c_str()).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileRead::Missing : FileRead::Held;
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(handle, &info) != FALSE;
    CloseHandle(handle);
    if (!known)
        return FileRead::Held;
    stamp = {Joined(info.nFileSizeHigh, info.nFileSizeLow),
             Joined(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime),
             Joined(info.nFileIndexHigh, info.nFileIndexLow) ^ (static_cast<uint64_t>(info.dwVolumeSerialNumber) << 17)};
    return FileRead::Read;
}
