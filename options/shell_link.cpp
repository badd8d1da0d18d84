#include "options/shell_link.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>

#include "win/ansi_text.h"
#include "win/com_ids.h"
#include "win/app_folder.h"
#include "win/modal_ui.h"

namespace {

constexpr int ShellPathBytes = 520;

// Shortcut paths are ANSI text; the persistence calls take UTF-16.
bool ToWide(const char* text, DWORD flags, WCHAR (&wide)[MAX_PATH])
{
    return MultiByteToWideChar(CP_ACP, flags, text, -1, wide, MAX_PATH) != 0;
}

enum LinkOutcome { LinkFailed = 0, LinkCreated = 1 };

} // namespace

void GetShellFolderPath(HWND owner, int folderId, char (&path)[PathCapacity])
{
    path[0] = '\0';
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)))
        return;
    char* buffer = static_cast<char*>(allocator->Alloc(ShellPathBytes));
    LPITEMIDLIST folder = nullptr;
    if (buffer != nullptr && SUCCEEDED(SHGetSpecialFolderLocation(owner, folderId, &folder))) {
        // SHGetPathFromIDListA writes at most MAX_PATH bytes into the buffer.
        if (SHGetPathFromIDListA(folder, buffer))
            CopyIfFits(path, sizeof path, buffer);
        allocator->Free(folder);
    }
    if (buffer != nullptr)
        allocator->Free(buffer);
    allocator->Release();
}

int CreateShortcut(const char* shortcutPath, const char* targetPath, HWND owner)
{
    WCHAR widePath[MAX_PATH] = L"";
    bool converted = ToWide(shortcutPath, MB_PRECOMPOSED, widePath);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    bool comReady = false;
    int outcome;
    // Every way out of this block throws: 0 for a failure, 1 for success, so
    // that the one handler below cleans up after each of them.
    try {
        comReady = SUCCEEDED(CoInitialize(nullptr));
        if (!converted)
            throw static_cast<int>(LinkFailed);
        if (CoCreateInstance(ShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkA),
                             reinterpret_cast<void**>(&link)) != S_OK)
            throw static_cast<int>(LinkFailed);
        link->SetPath(targetPath);
        link->SetWorkingDirectory(AppFolder);
        if (link->QueryInterface(__uuidof(IPersistFile), reinterpret_cast<void**>(&file)) != S_OK)
            throw static_cast<int>(LinkFailed);
        if (file->Save(widePath, TRUE) != S_OK)
            throw static_cast<int>(LinkFailed);
        throw static_cast<int>(LinkCreated);
    } catch (int thrown) {
        outcome = thrown;
    }
    if (file != nullptr)
        file->Release();
    if (link != nullptr)
        link->Release();
    if (comReady)
        CoUninitialize();
    if (outcome == LinkFailed)
        ShowMessage(owner, "ショートカット作成失敗", nullptr, MB_OK);
    return outcome;
}

HRESULT ReadShortcutTarget(const char* shortcutPath, char* target, int size, WIN32_FIND_DATAA* findData)
{
    IShellLinkA* link = nullptr;
    HRESULT result = CoCreateInstance(ShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkA),
                                      reinterpret_cast<void**>(&link));
    if (FAILED(result))
        return result;
    IPersistFile* file = nullptr;
    result = link->QueryInterface(__uuidof(IPersistFile), reinterpret_cast<void**>(&file));
    if (FAILED(result)) {
        link->Release();
        return result;
    }
    WCHAR widePath[MAX_PATH] = L"";
    if (!ToWide(shortcutPath, 0, widePath)) {
        result = E_INVALIDARG;
    } else {
        result = file->Load(widePath, STGM_READ);
        if (SUCCEEDED(result)) {
            // Read into a buffer of our own: a failed read leaves target as it was.
            char path[MAX_PATH] = "";
            result = link->GetPath(path, sizeof path, findData, SLGP_UNCPRIORITY);
            if (SUCCEEDED(result)) {
                if (size > 0 && std::strlen(path) < static_cast<size_t>(size))
                    std::memcpy(target, path, std::strlen(path) + 1);
                else
                    result = E_NOT_SUFFICIENT_BUFFER;
            }
        }
    }
    file->Release();
    link->Release();
    return result;
}
