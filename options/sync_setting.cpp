#include "options/sync_setting.h"

#include <windows.h>

namespace {

constexpr char Section[] = "setup";
constexpr char FolderKey[] = "SYNC";
constexpr char PcIdKey[] = "PCID";

// Windows matches user names whatever their letter case: so does the key.
std::string UserPcIdKey(const char* user)
{
    constexpr char Hex[] = "0123456789abcdef";
    std::string key = std::string(PcIdKey) + '.';
    bool trail = false;
    for (const char* at = user; *at != '\0'; ++at) {
        unsigned char c = static_cast<unsigned char>(*at);
        if (!trail && c >= 'A' && c <= 'Z')
            c = static_cast<unsigned char>(c - 'A' + 'a');
        trail = !trail && IsDBCSLeadByte(c);
        key += Hex[c >> 4];
        key += Hex[c & 15];
    }
    return key;
}

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

std::string ReadUserPcIdSetting(const char* settingsPath, const char* user)
{
    char id[16] = "";
    GetPrivateProfileStringA(Section, UserPcIdKey(user).c_str(), "", id, sizeof id, settingsPath);
    return id;
}

bool WriteUserPcIdSetting(const char* settingsPath, const char* user, const std::string& id)
{
    return WritePrivateProfileStringA(Section, UserPcIdKey(user).c_str(), id.c_str(), settingsPath) != FALSE;
}
