// Where the program's files lie and which users exist, worked out from real
// folders, files and shortcuts.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <utility>

#include "options/settings_file.h"
#include "users/user_list.h"
#include "win/ansi_text.h"
#include "win_test_support.h"

namespace {

using namespace wintest;

class UserFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppFolder[0] = '\0';
        SettingsPath[0] = '\0';
    }
    void TearDown() override
    {
        AppFolder[0] = '\0';
        SettingsPath[0] = '\0';
    }

    void UseAsAppFolder(const std::string& folder)
    {
        ASSERT_TRUE(CopyIfFits(AppFolder, sizeof AppFolder, folder.c_str()));
    }

    TempFolder folder_;
};

TEST_F(UserFolderTest, AppFolderComesFromTheShortcutInTheCurrentDirectory)
{
    enum class Link { None, ToExecutable, NotAShortcut };
    struct Case {
        Link link;
        const char* targetFolder;   // under the test's folder
        bool executablePresent;
        bool expectTargetFolder;    // else the current directory
        const char* what;
    } cases[] = {
        {Link::ToExecutable, "Apps\\Counter", true, true, "shortcut to Kivora.exe, which is there"},
        {Link::ToExecutable, "表計算ソフト", true, true, "folder whose characters end in the byte of a backslash"},
        {Link::ToExecutable, "Apps\\Gone", false, false, "Kivora.exe is not in the target's folder"},
        {Link::None, nullptr, false, false, "no shortcut"},
        {Link::NotAShortcut, nullptr, false, false, "a Kivora.lnk that is not a shortcut"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        TempFolder current;
        std::string target;
        if (row.targetFolder) {
            std::string folder = folder_ / row.targetFolder;
            ASSERT_EQ(SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr), ERROR_SUCCESS);
            target = Join(folder, "Kivora.exe");
            if (row.executablePresent)
                WriteBytes(target, "MZ");
        }
        if (row.link == Link::ToExecutable) {
            ASSERT_TRUE(MakeShortcut(current / "Kivora.lnk", target));
        }
        if (row.link == Link::NotAShortcut)
            WriteBytes(current / "Kivora.lnk", "not a shortcut");
        CurrentDirectoryScope inside(current.Path());
        std::strcpy(AppFolder, "stale");

        WorkOutAppFolder();
        std::string expected = row.expectTargetFolder ? folder_ / row.targetFolder : current.Path();
        EXPECT_EQ(std::string(AppFolder), expected);

        WorkOutSettingsPath(GetModuleHandleA(nullptr));
        EXPECT_EQ(std::string(SettingsPath), Join(expected, "set.ini"));
    }
}

TEST_F(UserFolderTest, UserListHoldsTheDataFilesInTheFoldersOrder)
{
    UseAsAppFolder(folder_.Path());
    std::string data = folder_ / "data";
    ASSERT_TRUE(CreateDirectoryA(data.c_str(), nullptr));
    // Files the list takes, with the name shown for each.
    const std::set<std::pair<std::string, std::string>> listed = {
        {"taro.dat", "taro"},
        {"hanako.dat", "hanako"},
        {"a.b.dat", "a"},        // shown up to the first dot
        {"JIRO.DAT", "JIRO"},    // the extension in capitals; the name keeps its case
        {"ユーザー.dat", "ユーザー"},
    };
    for (const auto& entry : listed)
        WriteBytes(Join(data, entry.first), "");
    // Entries the list leaves out.
    WriteBytes(Join(data, "taro.dat.tmp"), "");   // a save's temporary file
    WriteBytes(Join(data, "notes.txt"), "");
    WriteBytes(Join(data, "taro.data"), "");
    ASSERT_TRUE(CreateDirectoryA(Join(data, "x.dat").c_str(), nullptr));
    std::strcpy(UserFiles[7], "left over");
    std::strcpy(UserNames[7], "left over");

    ASSERT_EQ(ListUserFiles(), static_cast<int>(listed.size()));

    std::vector<std::string> searchOrder;
    for (const std::string& name : ListFolder(data)) {
        if (listed.count({name, name.substr(0, name.find('.'))}))
            searchOrder.push_back(name);
    }
    ASSERT_EQ(searchOrder.size(), listed.size());
    for (size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(UserFiles[i], searchOrder[i]) << i;
        EXPECT_EQ(listed.count({UserFiles[i], UserNames[i]}), 1u) << UserFiles[i] << " shown as " << UserNames[i];
    }
    for (size_t i = listed.size(); i < MaxUsers; ++i) {
        EXPECT_EQ(UserFiles[i][0], '\0') << i;
        EXPECT_EQ(UserNames[i][0], '\0') << i;
    }
}

TEST_F(UserFolderTest, MissingDataFolderGivesAnEmptyList)
{
    UseAsAppFolder(folder_.Path());
    std::strcpy(UserFiles[0], "taro.dat");
    std::strcpy(UserNames[0], "taro");
    EXPECT_EQ(ListUserFiles(), 0);
    EXPECT_EQ(UserFiles[0][0], '\0');
    EXPECT_EQ(UserNames[0][0], '\0');
}

TEST_F(UserFolderTest, ListStopsAtFiveHundredUsers)
{
    UseAsAppFolder(folder_.Path());
    std::string data = folder_ / "data";
    ASSERT_TRUE(CreateDirectoryA(data.c_str(), nullptr));
    constexpr int Files = MaxUsers + 20;
    for (int i = 0; i < Files; ++i)
        WriteBytes(Join(data, "user" + std::to_string(i) + ".dat"), "");

    ASSERT_EQ(ListUserFiles(), MaxUsers);

    std::set<std::string> seen;
    for (int i = 0; i < MaxUsers; ++i) {
        std::string file = UserFiles[i];
        ASSERT_TRUE(Exists(Join(data, file))) << i << ": " << file;
        EXPECT_EQ(std::string(UserNames[i]) + ".dat", file) << i;
        seen.insert(file);
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(MaxUsers)) << "no file listed twice";
}

TEST_F(UserFolderTest, SettingsFileIsCreatedEmptyOnlyWhenMissing)
{
    struct Case {
        std::optional<std::string> before;   // nullopt: no settings file
        std::string after;
        const char* what;
    } cases[] = {
        {std::nullopt, "", "missing: created empty"},
        {std::string("[setup]\r\nAUTOSTART=1\r\n"), "[setup]\r\nAUTOSTART=1\r\n", "existing: left as it is"},
        {std::string(""), "", "existing and empty"},
    };
    UseAsAppFolder(folder_.Path());
    std::string settings = folder_ / "set.ini";
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        DeleteFileA(settings.c_str());
        if (row.before)
            WriteBytes(settings, *row.before);
        EnsureSettingsFile();
        EXPECT_EQ(ReadBytes(settings), row.after);
    }
}

} // namespace
