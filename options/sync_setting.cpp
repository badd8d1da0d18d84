#include "options/sync_setting.h"

#include <windows.h>

namespace {

constexpr char Section[] = "setup";
constexpr char FolderKey[] = "SYNC";
constexpr char PcIdKey[] = "PCID";

} // namespace

void ReadSyncFolder(const char* settingsPath, char (&folder)[PathCapacity])
{
    GetPrivateProfileStringA(Section, FolderKey, "", folder, sizeof folder, settingsPath);
}

bool WriteSyncFolder(const char* settingsPath, const char* folder)
{
    return WritePrivateProfileStringA(Section, FolderKey, folder, settingsPath) != FALSE;
}

std::string ReadPcIdSetting(const char* settingsPath)
{
    char id[16] = "";
    GetPrivateProfileStringA(Section, PcIdKey, "", id, sizeof id, settingsPath);
    return id;
}

bool WritePcIdSetting(const char* settingsPath, const std::string& id)
{
    return WritePrivateProfileStringA(Section, PcIdKey, id.c_str(), settingsPath) != FALSE;
}
