// Working out where the program's files lie and which users exist, and the
// login's choice among them.
#include <windows.h>
#include <objbase.h>

#include <cstring>

#include "options/settings_file.h"
#include "options/shell_link.h"
#include "res/resource.h"
#include "users/user_list.h"
#include "win/ansi_text.h"

char UserFiles[MaxUsers][UserEntryCapacity];
char UserNames[MaxUsers][UserEntryCapacity];
int SelectedUser = -1;
int LastSelection = 0;
LONG ReloginFlag = 0;
char NewUserName[NewUserNameCapacity] = "";
std::atomic<LONG> NewUserPending{0};

namespace {

bool FileExists(const char* path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

bool JoinPath(char (&path)[PathCapacity], const char* folder, const char* name)
{
    return CopyIfFits(path, sizeof path, folder) && AppendIfFits(path, sizeof path, "\\") &&
           AppendIfFits(path, sizeof path, name);
}

} // namespace

void WorkOutAppFolder()
{
    // Without COM the shortcut cannot be read; AppFolder keeps what it had.
    if (FAILED(CoInitialize(nullptr)))
        return;
    char currentDirectory[PathCapacity] = "";
    DWORD length = GetCurrentDirectoryA(sizeof currentDirectory, currentDirectory);
    if (length >= sizeof currentDirectory)
        currentDirectory[0] = '\0';   // did not fit: not written
    char shortcut[PathCapacity];
    char target[PathCapacity] = "";
    WIN32_FIND_DATAA findData;
    if (JoinPath(shortcut, currentDirectory, "Kivora.lnk"))
        ReadShortcutTarget(shortcut, target, sizeof target, &findData);
    CoUninitialize();

    AppFolderFromShortcutTarget(target, AppFolder);
    char executable[PathCapacity];
    if (!JoinPath(executable, AppFolder, "Kivora.exe") || !FileExists(executable))
        CopyIfFits(AppFolder, sizeof AppFolder, currentDirectory);
}

void WorkOutSettingsPath(HINSTANCE instance)
{
    char fileName[50] = "";
    LoadStringA(instance, IDS_SETTINGS_FILE, fileName, sizeof fileName);
    JoinPath(SettingsPath, AppFolder, fileName);
}

int ListUserFiles()
{
    std::memset(UserFiles, 0, sizeof UserFiles);
    std::memset(UserNames, 0, sizeof UserNames);
    char pattern[PathCapacity];
    if (!JoinPath(pattern, AppFolder, "data\\*.dat"))
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsUserDataFileName(found.cFileName))
            continue;
        CopyIfFits(UserFiles[count], UserEntryCapacity, found.cFileName);
        UserNameFromFile(UserFiles[count], UserNames[count]);
        ++count;
    } while (count < MaxUsers && FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

void EnsureSettingsFile()
{
    char path[PathCapacity];
    if (!JoinPath(path, AppFolder, "set.ini") || FileExists(path))
        return;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

bool FindUserDataFile(const char* name, char (&path)[PathCapacity])
{
    int count = ListUserFiles();
    int found = -1;
    for (int i = 0; i < count && found < 0; ++i) {
        if (std::strcmp(UserNames[i], name) == 0)
            found = i;
    }
    for (int i = 0; i < count && found < 0; ++i) {
        if (std::strlen(UserNames[i]) == std::strlen(name) && EqualsIgnoringCase(UserNames[i], name, PathCapacity))
            found = i;
    }
    char data[PathCapacity];
    return found >= 0 && JoinPath(data, AppFolder, "data") && JoinPath(path, data, UserFiles[found]);
}
