// The settings file "set.ini" and its start-at-logon key, against the real
// profile functions and the real Startup folder of the prefix.
#include <gtest/gtest.h>

#include "options/settings_file.h"
#include "users/user_list.h"
#include "win/ansi_text.h"
#include "win_test_support.h"

namespace {

using namespace wintest;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CopyIfFits(AppFolder, sizeof AppFolder, folder_.Path().c_str()));
        ASSERT_TRUE(CopyIfFits(SettingsPath, sizeof SettingsPath, Settings().c_str()));
        AutoStart = 0;
    }
    void TearDown() override
    {
        AppFolder[0] = '\0';
        SettingsPath[0] = '\0';
    }

    std::string Settings() const { return folder_ / "set.ini"; }
    std::string Key(const char* name) const
    {
        char value[PathCapacity] = "";
        GetPrivateProfileStringA("setup", name, "(missing)", value, sizeof value, Settings().c_str());
        return value;
    }

    TempFolder folder_;
};

TEST_F(SettingsFileTest, AutoStartIsOnOnlyWhenStartupNamesTheStartupShortcutsTarget)
{
    StartupShortcutGuard startup;
    std::string executable = folder_ / "Kivora.exe";
    WriteBytes(executable, "MZ");
    std::string upper = executable;
    CharUpperA(upper.data());
    std::string other = folder_ / "Other\\Kivora.exe";

    struct Case {
        bool shortcut;                // a Startup shortcut to the executable
        std::optional<std::string> startup;   // STARTUP in set.ini; nullopt: no set.ini at all
        LONG expected;
        const char* what;
    } cases[] = {
        {true, executable, 1, "STARTUP is the shortcut's target"},
        {true, upper, 1, "the same path in other letter case"},
        {true, other, 0, "STARTUP edited by hand to another path"},
        {true, std::string(""), 0, "STARTUP empty"},
        {false, executable, 0, "the shortcut was deleted outside the program"},
        {true, std::nullopt, 0, "no settings file at all"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        DeleteFileA(startup.Shortcut().c_str());
        if (row.shortcut) {
            ASSERT_TRUE(MakeShortcut(startup.Shortcut(), executable, folder_.Path()));
        }
        DeleteFileA(Settings().c_str());
        if (row.startup)
            WriteBytes(Settings(), "[setup]\r\nAUTOSTART=" + std::to_string(1 - row.expected) +
                                       "\r\nSTARTUP=" + *row.startup + "\r\n");
        AutoStart = 1 - row.expected;

        LineUpAutoStart();
        EXPECT_EQ(AutoStart, row.expected);
        EXPECT_EQ(Key("AUTOSTART"), std::to_string(row.expected));
        if (row.startup) {
            EXPECT_EQ(Key("STARTUP"), *row.startup) << "STARTUP is only ever read here";
        } else {
            EXPECT_EQ(ReadBytes(Settings()), "[setup]\r\nAUTOSTART=0\r\n");
        }
    }
}

TEST_F(SettingsFileTest, WrittenSettingsNameAutoStartFirstInANewFile)
{
    std::string executable = folder_ / "Kivora.exe";
    struct Case {
        LONG autoStart;
        std::string startup;
        std::string file;
        const char* what;
    } cases[] = {
        {1, executable, "[setup]\r\nAUTOSTART=1\r\nSTARTUP=" + executable + "\r\n", "option switched on"},
        {0, "", "[setup]\r\nAUTOSTART=0\r\nSTARTUP=\r\n", "switched off, never on in this run"},
        {0, executable, "[setup]\r\nAUTOSTART=0\r\nSTARTUP=" + executable + "\r\n", "switched off after being on"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        DeleteFileA(Settings().c_str());
        WriteSettings(row.autoStart, row.startup.c_str());
        EXPECT_EQ(ReadBytes(Settings()), row.file);
    }

    // An existing file keeps its order and gets the new values.
    WriteSettings(1, "C:\\Tools\\Kivora.exe");
    WriteSettings(0, "");
    EXPECT_EQ(ReadBytes(Settings()), "[setup]\r\nAUTOSTART=0\r\nSTARTUP=\r\n");
}

TEST_F(SettingsFileTest, StartupShortcutPathIsInTheStartupFolder)
{
    char path[PathCapacity] = "";
    ASSERT_TRUE(StartupShortcutPath(nullptr, path));
    EXPECT_EQ(std::string(path), Join(StartupFolder(), "Kivora.lnk"));
}

} // namespace
