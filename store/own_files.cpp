#include "store/own_files.h"

#include "history/user_history.h"
#include "options/settings_file.h"
#include "store/user_data.h"
#include "win/app_text.h"
#include "win/modal_ui.h"
#include "win/wide_text.h"

namespace {

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

// The long form of an existing folder or file ("DATA~1" is "data").
std::wstring LongPath(const std::wstring& path)
{
    DWORD size = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    size = GetLongPathNameW(path.c_str(), full.data(), size);
    full.resize(size);
    return full;
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return !a.empty() && CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring FolderOf(const std::wstring& path)
{
    std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool SameFile(const std::wstring& a, const std::wstring& b)
{
    BY_HANDLE_FILE_INFORMATION first = {}, second = {};
    auto identify = [](const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
        HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        bool known = GetFileInformationByHandle(file, &info) != FALSE;
        CloseHandle(file);
        return known;
    };
    return identify(a, first) && identify(b, second) && first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

} // namespace

bool IsKivoraOwnFile(const std::wstring& path)
{
    std::wstring full = FullPath(path);
    if (full.empty())
        return false;
    std::wstring folder = LongPath(FolderOf(full));
    std::wstring dataFolder = LongPath(WideFromCodePage(AppFolder) + L"\\data");
    if (AppFolder[0] != '\0' && SamePath(folder, dataFolder))
        return true;
    std::wstring settings = WideFromCodePage(SettingsPath);
    std::wstring named = folder + full.substr(full.find_last_of(L"\\/"));
    if (SettingsPath[0] != '\0' && SamePath(named, LongPath(settings)))
        return true;
    std::string historyPath;
    std::wstring own[] = {settings, WideFromCodePage(DataFilePath),
                          HistoryPathOf(DataFilePath, historyPath) ? WideFromCodePage(historyPath.c_str()) : L""};
    for (const std::wstring& file : own) {
        if (!file.empty() && SameFile(full, file))
            return true;
    }
    return false;
}

bool RefuseKivoraOwnFile(HWND owner, const char* path)
{
    if (!IsKivoraOwnFile(WideFromCodePage(path)))
        return false;
    ShowMessage(owner,
                "このファイルはKivora自身のファイル（設定ファイル、または data フォルダーの記録）のため、"
                "上書きできません。別の場所か名前を選んでください。",
                AppText::ErrorCaption, MB_OK | MB_ICONWARNING);
    return true;
}
