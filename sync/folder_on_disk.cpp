#include "sync/folder_on_disk.h"

#include <windows.h>

#include "history/user_history.h"
#include "sync/pc_files.h"
#include "win/atomic_file.h"

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
