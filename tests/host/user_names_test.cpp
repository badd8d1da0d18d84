#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "users/user_names.h"

namespace {

// "表" and "ソ" end in the byte 0x5C, the backslash; "圭" ends in 0x7C, '|'.
const std::string Hyou = "表";
const std::string So = "ソ";

TEST(UserNames, NameIsTheFileNameBeforeItsFirstDot)
{
    struct Case {
        const char* file;
        const char* name;
    } cases[] = {
        {"taro.dat", "taro"},
        {"a.b.dat", "a"},
        {"TARO.DAT", "TARO"},
        {"noextension", "noextension"},
        {"山田.dat", "山田"},
    };
    for (const Case& c : cases) {
        char name[UserEntryCapacity];
        UserNameFromFile(c.file, name);
        EXPECT_STREQ(name, c.name);
    }
}

TEST(UserNames, OnlyNamesEndingInDatAreListed)
{
    EXPECT_TRUE(IsUserDataFileName("taro.dat"));
    EXPECT_TRUE(IsUserDataFileName("TARO.DAT"));
    EXPECT_TRUE(IsUserDataFileName("a.b.dat"));
    EXPECT_FALSE(IsUserDataFileName("taro.dat.tmp")) << "an interrupted save's temporary file";
    EXPECT_FALSE(IsUserDataFileName("taro.data")) << "matched by *.dat through its short name";
    EXPECT_FALSE(IsUserDataFileName(".dat"));
}

TEST(UserNames, ListedNamesAreFoundPastAnEmptyName)
{
    static char files[MaxUsers][UserEntryCapacity];
    static char names[MaxUsers][UserEntryCapacity];
    // The folder's order: ".x.dat" lists as an empty user name.
    const char* listed[] = {"taro.dat", ".x.dat", "hanako.dat", "JIRO.DAT"};
    int count = 0;
    for (const char* file : listed) {
        std::snprintf(files[count], UserEntryCapacity, "%s", file);
        UserNameFromFile(files[count], names[count]);
        ++count;
    }
    struct Case {
        const char* name;
        bool listed;
    } cases[] = {
        {"taro", true},
        {"hanako", true},    // after the empty name
        {"JIRO", true},
        {"jiro", false},     // as typed: another letter case is for the file check
        {"saburo", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsListedUserName(files, names, c.name), c.listed) << c.name;
}

TEST(UserNames, AppFolderComesFromTheShortcutTarget)
{
    struct Case {
        std::string target;
        std::string folder;
    } cases[] = {
        {"C:\\Tools\\Counter\\Kivora.exe", "C:\\Tools\\Counter"},
        {"D:\\Apps\\Counter\\Kivora.exe", "D:\\Apps\\Counter"},
        {"", ""},
        {"C:\\\\Tools\\\\Kivora.exe", "C:\\Tools"},                     // empty pieces skipped
        {"C:\\Tools\\Kivora.exe.bak\\x", "C:\\Tools\\x"},                // any piece beginning so
        {"C:\\" + Hyou + "示\\" + So + "フト\\Kivora.exe",               // trail bytes 0x5C stay whole
         "C:\\" + Hyou + "示\\" + So + "フト"},
        {"C:\\Tools\\kivora.exe", "C:\\Tools\\kivora.exe"},             // compared with case
    };
    for (const Case& c : cases) {
        char folder[PathCapacity];
        AppFolderFromShortcutTarget(c.target.c_str(), folder);
        EXPECT_EQ(std::string(folder), c.folder) << c.target;
    }
}

TEST(UserNames, FolderThatWouldNotFitIsLeftEmpty)
{
    std::string target = "C:\\" + std::string(250, 'x') + "\\Kivora.exe";
    char folder[PathCapacity];
    AppFolderFromShortcutTarget(target.c_str(), folder);
    EXPECT_STREQ(folder, "");
}

TEST(UserNames, NewNamesThatCannotBeADataFileAreRefused)
{
    struct Case {
        std::string name;
        NameCheck expected;
    } cases[] = {
        {"taro", NameCheck::Accepted},
        {"山田太郎", NameCheck::Accepted},
        {Hyou + So, NameCheck::Accepted},            // 0x5C only as a trail byte
        {"圭", NameCheck::Accepted},                 // 0x7C only as a trail byte
        {"ﾀﾛｳ", NameCheck::Accepted},                // half-width katakana
        {"", NameCheck::Empty},
        {"a\\b", NameCheck::ForbiddenCharacter},
        {"a/b", NameCheck::ForbiddenCharacter},
        {"c:", NameCheck::ForbiddenCharacter},
        {"what?", NameCheck::ForbiddenCharacter},
        {"*", NameCheck::ForbiddenCharacter},
        {"\"q\"", NameCheck::ForbiddenCharacter},
        {"<a>", NameCheck::ForbiddenCharacter},
        {"a|b", NameCheck::ForbiddenCharacter},
        {"tab\there", NameCheck::ForbiddenCharacter},
        {"taro.", NameCheck::ContainsDot},
        {"a.b", NameCheck::ContainsDot},
        {"taro ", NameCheck::TrailingBlank},
        {"CON", NameCheck::ReservedDeviceName},
        {"con", NameCheck::ReservedDeviceName},
        {"Prn", NameCheck::ReservedDeviceName},
        {"aux", NameCheck::ReservedDeviceName},
        {"NUL", NameCheck::ReservedDeviceName},
        {"COM1", NameCheck::ReservedDeviceName},
        {"lpt9", NameCheck::ReservedDeviceName},
        {"COM0", NameCheck::Accepted},
        {"COM10", NameCheck::Accepted},
        {"CONSOLE", NameCheck::Accepted},
        {"console", NameCheck::Accepted},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckNewUserName(c.name.c_str()), c.expected) << "\"" << c.name << "\"";
}

TEST(UserNames, TypedNameIsCutTo49BytesAtACharacterBoundary)
{
    char name[NewUserNameCapacity];
    TakeNewUserName(std::string(60, 'x').c_str(), name);
    EXPECT_EQ(std::string(name), std::string(49, 'x'));

    std::string kanji;
    for (int i = 0; i < 30; ++i)
        kanji += "山";   // 60 bytes
    TakeNewUserName(kanji.c_str(), name);
    EXPECT_EQ(std::string(name).size(), 48u) << "24 whole characters, not 24 and a half";

    TakeNewUserName(("x" + kanji).c_str(), name);
    EXPECT_EQ(std::string(name).size(), 49u);
}

} // namespace
