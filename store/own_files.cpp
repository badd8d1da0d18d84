#include "store/own_files.h"

#include <optional>

#include "options/settings_file.h"
#include "win/app_text.h"
#include "win/modal_ui.h"
#include "win/wide_text.h"

namespace {

// A file or folder as the file system knows it, whatever the path that
// reached it.
struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool operator==(const FileIdentity&) const = default;
};

// Opens an existing file or folder for nothing but its identity: no access
// asked, every sharing allowed, so that no other program is disturbed.
std::optional<FileIdentity> IdentityOf(const std::wstring& path)
{
    HANDLE entry = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (entry == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information = {};
    bool known = GetFileInformationByHandle(entry, &information) != FALSE;
    CloseHandle(entry);
    if (!known)
        return std::nullopt;
    return FileIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow};
}

// The full path, "." and ".." taken out as Windows takes them out before it
// opens a path; \\?\ paths stay as they are.
std::wstring FullPath(const std::wstring& path)
{
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return std::wstring();
    std::wstring full(size, L'\0');
    size = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(size);
    return full;
}

std::size_t LastSlash(const std::wstring& path) { return path.find_last_of(L"\\/"); }

// The file's name without a stream ("set.ini:x" is set.ini's stream x).
std::wstring NameOf(const std::wstring& path)
{
    std::wstring name = path.substr(LastSlash(path) + 1);
    return name.substr(0, name.find(L':'));
}

bool SameName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// Whether an existing file is one of the data folder's, under another name
// too (a hard link).
bool IsFileOfFolder(const std::wstring& folder, const FileIdentity& file)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool same = false;
    do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            same = IdentityOf(folder + L"\\" + name) == file;
    } while (!same && FindNextFileW(search, &found));
    FindClose(search);
    return same;
}

// Whether the folder of a full path, or a folder above it, is the folder:
// where a file of that path is made, or is.
bool LiesIn(const std::wstring& full, const FileIdentity& folder)
{
    for (std::size_t slash = LastSlash(full); slash != std::wstring::npos && slash > 0;
         slash = LastSlash(full.substr(0, slash))) {
        std::wstring above = full.substr(0, slash);
        if (above.back() == L':')   // "C:" alone is the drive's current folder: the root is "C:\"
            above += L'\\';
        if (IdentityOf(above) == folder)
            return true;
    }
    return false;
}

} // namespace

bool IsKivoraOwnFile(const std::wstring& path)
{
    std::wstring full = FullPath(path);
    if (full.empty() || AppFolder[0] == '\0')
        return false;
    const std::wstring appFolder = WideFromCodePage(AppFolder);
    const std::wstring dataFolder = appFolder + L"\\data";
    const std::wstring settings = SettingsPath[0] != '\0' ? WideFromCodePage(SettingsPath) : std::wstring();
    std::optional<FileIdentity> data = IdentityOf(dataFolder);
    std::optional<FileIdentity> target = IdentityOf(full);

    if (target && ((data && (*target == *data || IsFileOfFolder(dataFolder, *target))) ||
                   (!settings.empty() && target == IdentityOf(settings))))
        return true;
    if (data && LiesIn(full, *data))
        return true;
    // The settings file before it is first written: its name in the
    // application folder.
    if (!settings.empty() && SameName(NameOf(full), NameOf(settings))) {
        std::optional<FileIdentity> folder = IdentityOf(full.substr(0, LastSlash(full)));
        return folder && folder == IdentityOf(settings.substr(0, LastSlash(settings)));
    }
    return false;
}

bool RefuseKivoraOwnFile(HWND owner, const char* path)
{
    if (!IsKivoraOwnFile(WideFromCodePage(path)))
        return false;
    ShowMessage(owner,
                "このファイルは Kivora 自身のファイル（設定ファイル、または data フォルダーの記録）のため、"
                "上書きできません。別の場所か名前を選んでください。",
                AppText::ErrorCaption, MB_OK | MB_ICONWARNING);
    return true;
}
