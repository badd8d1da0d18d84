// The settings file and the start-at-logon check made at every login dialog.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "options/settings_file.h"
#include "options/shell_link.h"
#include "win/ansi_text.h"
#include "win/decimal_text.h"

char SettingsPath[PathCapacity] = "";
LONG AutoStart = 0;
char StartupTarget[PathCapacity] = "";
std::atomic<bool> RecordPrograms{false};

namespace {

constexpr char Section[] = "setup";
constexpr char AutoStartKey[] = "AUTOSTART";
constexpr char StartupKey[] = "STARTUP";
constexpr char ProgramsKey[] = "APPS";

void ReadStartupSetting(char (&value)[PathCapacity])
{
    GetPrivateProfileStringA(Section, StartupKey, "", value, sizeof value, SettingsPath);
}

void WriteAutoStartSetting(LONG autoStart)
{
    char text[DecimalTextSize];
    WriteDecimal(text, autoStart);
    WritePrivateProfileStringA(Section, AutoStartKey, text, SettingsPath);
}

} // namespace

void WriteSettings(LONG autoStart, const char* startupTarget)
{
    WriteAutoStartSetting(autoStart);
    WritePrivateProfileStringA(Section, StartupKey, startupTarget, SettingsPath);
}

void ReadProgramsSetting()
{
    RecordPrograms = GetPrivateProfileIntA(Section, ProgramsKey, 0, SettingsPath) == 1;
}

void WriteProgramsSetting()
{
    WritePrivateProfileStringA(Section, ProgramsKey, RecordPrograms ? "1" : "0", SettingsPath);
}

bool StartupShortcutPath(HWND owner, char (&path)[PathCapacity])
{
    char folder[PathCapacity];
    GetShellFolderPath(owner, CSIDL_STARTUP, folder);
    return folder[0] != '\0' && CopyIfFits(path, sizeof path, folder) &&
           AppendIfFits(path, sizeof path, "\\Kivora.lnk");
}

void LineUpAutoStart()
{
    char startup[PathCapacity] = "";
    ReadStartupSetting(startup);

    char shortcut[PathCapacity];
    char target[PathCapacity] = "";
    HRESULT initialised = CoInitialize(nullptr);
    WIN32_FIND_DATAA findData;
    if (StartupShortcutPath(nullptr, shortcut))
        ReadShortcutTarget(shortcut, target, sizeof target, &findData);
    if (SUCCEEDED(initialised))
        CoUninitialize();

    AutoStart = startup[0] != '\0' && EqualsIgnoringCase(startup, target, PathCapacity) ? 1 : 0;
    WriteAutoStartSetting(AutoStart);
}
