// Shell shortcuts made and read by the program, checked through the shell
// link object and through a reader of the .lnk file's bytes of our own.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "options/shell_link.h"
#include "users/user_list.h"
#include "win/ansi_text.h"
#include "win_test_support.h"

namespace {

using namespace wintest;

// What a .lnk file says, read from its bytes as the shell link binary format
// lays them out: a 0x4C-byte header with the class id and the flags, an
// optional item list, the link information with the local base path, then
// counted strings (name, relative path, working folder, ...).
struct LinkFileFields {
    uint32_t flags = 0;
    std::string basePath;        // local base path + common path suffix, ANSI
    std::string workingFolder;   // converted to the ANSI code page
};

enum LinkFlag : uint32_t {
    HasLinkTargetIdList = 0x01,
    HasLinkInfo = 0x02,
    HasName = 0x04,
    HasRelativePath = 0x08,
    HasWorkingDir = 0x10,
    HasArguments = 0x20,
    HasIconLocation = 0x40,
    IsUnicode = 0x80,
};

uint32_t U32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    if (at + 4 <= bytes.size())
        std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

uint16_t U16(const std::string& bytes, size_t at)
{
    uint16_t value = 0;
    if (at + 2 <= bytes.size())
        std::memcpy(&value, bytes.data() + at, 2);
    return value;
}

std::string CString(const std::string& bytes, size_t at)
{
    return at < bytes.size() ? std::string(bytes.c_str() + at) : std::string();
}

std::optional<LinkFileFields> ParseLinkFile(const std::string& bytes)
{
    static const unsigned char ShellLinkClassId[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                       0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    if (bytes.size() < 0x4C || U32(bytes, 0) != 0x4C || std::memcmp(bytes.data() + 4, ShellLinkClassId, 16) != 0)
        return std::nullopt;
    LinkFileFields fields;
    fields.flags = U32(bytes, 20);
    size_t at = 0x4C;
    if (fields.flags & HasLinkTargetIdList)
        at += 2 + U16(bytes, at);
    if (fields.flags & HasLinkInfo) {
        uint32_t size = U32(bytes, at);
        uint32_t infoFlags = U32(bytes, at + 8);
        if (infoFlags & 0x1)   // volume id and local base path
            fields.basePath = CString(bytes, at + U32(bytes, at + 16)) + CString(bytes, at + U32(bytes, at + 24));
        at += size;
    }
    bool unicode = fields.flags & IsUnicode;
    for (uint32_t flag : {HasName, HasRelativePath, HasWorkingDir, HasArguments, HasIconLocation}) {
        if (!(fields.flags & flag))
            continue;
        uint16_t count = U16(bytes, at);
        at += 2;
        size_t length = unicode ? count * 2u : count;
        if (at + length > bytes.size())
            return std::nullopt;
        std::string text = bytes.substr(at, length);
        at += length;
        if (flag != HasWorkingDir)
            continue;
        if (unicode) {
            char ansi[1024] = "";
            WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const WCHAR*>(text.data()), count, ansi, sizeof ansi - 1,
                                nullptr, nullptr);
            fields.workingFolder = ansi;
        } else {
            fields.workingFolder = text;
        }
    }
    return fields;
}

class ShellLinkTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(catcher_.Installed()); }
    void TearDown() override { AppFolder[0] = '\0'; }

    // A folder under the test's folder with a Kivora.exe in it; AppFolder.
    std::string MakeAppFolder(const std::string& relative)
    {
        std::string folder = folder_ / relative;
        EXPECT_EQ(SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr), ERROR_SUCCESS) << folder;
        WriteBytes(Join(folder, "Kivora.exe"), "MZ");
        EXPECT_TRUE(CopyIfFits(AppFolder, sizeof AppFolder, folder.c_str()));
        return folder;
    }

    std::string ReadTarget(const std::string& shortcut, HRESULT* result = nullptr)
    {
        ComScope com;
        char target[PathCapacity] = "(untouched)";
        WIN32_FIND_DATAA findData;
        HRESULT read = ReadShortcutTarget(shortcut.c_str(), target, sizeof target, &findData);
        if (result)
            *result = read;
        return target;
    }

    TempFolder folder_;
    MessageBoxCatcher catcher_;
};

TEST_F(ShellLinkTest, CreatedShortcutHoldsExactlyTheTargetAndAppFolder)
{
    struct Case {
        std::string folder;   // relative to the test's folder
        const char* what;
    } cases[] = {
        {"Counter", "plain folder"},
        {"Program Files\\Kivora Counter", "blanks in the path"},
        {"表計算ソフト\\ソース", "double-byte characters whose second byte is a backslash"},
        {std::string(PathCapacity - 1 - (folder_.Path().size() + 1) - std::strlen("\\Kivora.exe"), 'k'),
         "a target of exactly the 199 characters a path may hold"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        std::string folder = MakeAppFolder(row.folder);
        std::string target = Join(folder, "Kivora.exe");
        ASSERT_LE(target.size(), PathCapacity - 1) << "a path holds at most 199 characters";
        std::string shortcut = folder_ / "Kivora.lnk";

        ASSERT_EQ(CreateShortcut(shortcut.c_str(), target.c_str(), nullptr), 1);
        EXPECT_EQ(ReadTarget(shortcut), target);

        auto viaShell = ReadShortcut(shortcut);
        ASSERT_TRUE(viaShell);
        EXPECT_EQ(viaShell->target, target);
        EXPECT_EQ(viaShell->workingFolder, folder);

        auto bytes = ReadBytes(shortcut);
        ASSERT_TRUE(bytes);
        auto inFile = ParseLinkFile(*bytes);
        ASSERT_TRUE(inFile) << "not a shell link file";
        EXPECT_TRUE(inFile->flags & HasLinkInfo);
        EXPECT_EQ(inFile->basePath, target);
        EXPECT_TRUE(inFile->flags & HasWorkingDir);
        EXPECT_EQ(inFile->workingFolder, folder);
        EXPECT_EQ(inFile->flags & (HasName | HasArguments | HasIconLocation), 0u) << "nothing else is set";
    }
    EXPECT_TRUE(catcher_.Shown().empty());
}

TEST_F(ShellLinkTest, CreatingTwiceLeavesOneShortcutWithTheSecondTarget)
{
    std::string first = Join(MakeAppFolder("First"), "Kivora.exe");
    std::string second = Join(MakeAppFolder("Second"), "Kivora.exe");
    TempFolder links;
    std::string shortcut = links / "Kivora.lnk";

    ASSERT_EQ(CreateShortcut(shortcut.c_str(), first.c_str(), nullptr), 1);
    ASSERT_EQ(CreateShortcut(shortcut.c_str(), second.c_str(), nullptr), 1);
    EXPECT_EQ(ListFolder(links.Path()), std::vector<std::string>{"Kivora.lnk"});
    EXPECT_EQ(ReadTarget(shortcut), second);
    auto viaShell = ReadShortcut(shortcut);
    ASSERT_TRUE(viaShell);
    EXPECT_EQ(viaShell->workingFolder, folder_ / "Second");
}

TEST_F(ShellLinkTest, FailedReadLeavesTheBufferUntouched)
{
    std::string target = Join(MakeAppFolder("Counter"), "Kivora.exe");
    std::string deep = folder_ / std::string(PathCapacity - folder_.Path().size(), 'd');
    ASSERT_EQ(SHCreateDirectoryExA(nullptr, deep.c_str(), nullptr), ERROR_SUCCESS);
    std::string longTarget = Join(deep, "Kivora.exe");
    WriteBytes(longTarget, "MZ");
    ASSERT_TRUE(MakeShortcut(folder_ / "long.lnk", longTarget));
    WriteBytes(folder_ / "text.lnk", "not a shortcut");
    WriteBytes(folder_ / "empty.lnk", "");

    struct Case {
        std::string shortcut;
        const char* what;
    } cases[] = {
        {folder_ / "missing.lnk", "no such file"},
        {folder_ / "text.lnk", "a file that is not a shortcut"},
        {folder_ / "empty.lnk", "an empty file"},
        {folder_ / "long.lnk", "a target longer than the caller's buffer"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        HRESULT result = S_OK;
        EXPECT_EQ(ReadTarget(row.shortcut, &result), "(untouched)");
        EXPECT_TRUE(FAILED(result)) << std::hex << result;
    }
    EXPECT_TRUE(catcher_.Shown().empty());
}

TEST_F(ShellLinkTest, ShortcutThatCannotBeSavedIsReported)
{
    std::string target = Join(MakeAppFolder("Counter"), "Kivora.exe");
    std::string shortcut = folder_ / "no such folder\\Kivora.lnk";

    HiddenWindow optionsDialog;
    EXPECT_EQ(CreateShortcut(shortcut.c_str(), target.c_str(), optionsDialog.Handle()), 0);
    ASSERT_EQ(catcher_.Shown().size(), 1u);
    EXPECT_EQ(catcher_.Shown()[0].text, "ショートカット作成失敗");
    EXPECT_EQ(catcher_.Shown()[0].owner, optionsDialog.Handle()) << "the dialog waits for the answer";
    EXPECT_FALSE(Exists(shortcut));

    // COM was left as it was found: a later shortcut is made as usual.
    ASSERT_EQ(CreateShortcut((folder_ / "Kivora.lnk").c_str(), target.c_str(), nullptr), 1);
    EXPECT_EQ(catcher_.Shown().size(), 1u);
}

TEST_F(ShellLinkTest, StartupFolderExistsAndHasNoTrailingBackslash)
{
    char path[PathCapacity] = "(untouched)";
    GetShellFolderPath(nullptr, CSIDL_STARTUP, path);
    std::string folder = path;
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_EQ(folder, StartupFolder());
    DWORD attributes = GetFileAttributesA(path);
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace
