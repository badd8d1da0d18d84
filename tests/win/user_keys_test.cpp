// The keys file beside the data file: the other keys' all-time counts read at
// a login and written with each save, and never written over unread.
#include "store/keys_file.h"
#include "store/user_days.h"
#include "store/user_keys.h"
#include "user_data_fixture.h"

namespace {

using namespace wintest;

const int Space = KeyIndexOf("space");
const int Enter = KeyIndexOf("enter");

int64_t Other(int key) { return OtherKeys.Count(key - DataFileKeyCount); }
void Strike(int key, int times = 1)
{
    while (times-- > 0)
        OtherKeys.Raise(key - DataFileKeyCount);
}

// What a save writes: a (the data file's), Space and Enter with these counts.
std::string KeysOf(int a, int space, int enter = 0)
{
    HistoryCounts counts;
    counts.keys[0] = a, counts.keys[Space] = space, counts.keys[Enter] = enter;
    return FormatKeysFile(counts);
}

class UserKeysTest : public UserDataTest {
protected:
    std::string KeysFile(const char* user = "taro") const { return DataFile(std::string(user) + ".keys.csv"); }
};

TEST_F(UserKeysTest, ALoginTakesWhatCanBeReadAndKeepsTheRestAside)
{
    struct Case {
        std::optional<std::string> file, temporary;   // none: no such file
        int64_t space, enter;                          // loaded
        bool keptAside;                                // as taro.keys.csv.bak
    } cases[] = {
        {std::nullopt, std::nullopt, 0, 0, false},                                  // none yet
        {KeysOf(999, 40, 5), std::nullopt, 40, 5, false},                           // a is the data file's
        {"\xEF\xBB\xBF\"key\",\"count\"\n\"space\",\"40\"\n\nenter,5\n", std::nullopt, 40, 5, false},   // a spreadsheet's
        {"key,count\r\nspace,4x\r\nenter,5\r\nnokey,3\r\n", std::nullopt, 0, 5, true},   // lines that cannot be read
        {"date,seconds\r\nspace,40\r\n", std::nullopt, 0, 0, true},                 // no keys file
        {std::nullopt, KeysOf(0, 12), 12, 0, false},                                // a killed first save's, whole
        {std::nullopt, "key,count\r\nspace,12\r\n", 0, 0, false},                   // ... torn
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.file.value_or(row.temporary.value_or("none")));
        for (const char* suffix : {"", ".bak", ".tmp"})
            DeleteFileA((KeysFile() + suffix).c_str());
        if (row.file)
            WriteBytes(KeysFile(), *row.file);
        if (row.temporary)
            WriteBytes(KeysFile() + ".tmp", *row.temporary);
        Strike(Space, 3);   // before the login: the file's counts replace them
        LogIn("taro.dat", {{1, 3}});
        EXPECT_EQ(Other(Space), row.space);
        EXPECT_EQ(Other(Enter), row.enter);
        EXPECT_EQ(ReadBytes(KeysFile() + ".bak"), row.keptAside ? row.file : std::nullopt);
        EXPECT_FALSE(Exists(KeysFile() + ".tmp"));

        Strike(Space, 2);
        ASSERT_EQ(SaveUserData(), 0);
        EXPECT_EQ(ReadBytes(KeysFile()), KeysOf(3, row.space + 2, row.enter));
    }
}

TEST_F(UserKeysTest, AHeldFileIsReadAtALaterSaveAndItsCountsAreNoDaysStrokes)
{
    WriteBytes(KeysFile(), KeysOf(0, 40));
    {
        FileHolder backup(KeysFile(), 0);   // nobody else may even read it
        LogIn("taro.dat", {});
        EXPECT_EQ(Other(Space), 0);
        Strike(Space, 2);
        EXPECT_EQ(SaveUserData(), 0) << "the data file is saved all the same";
        EXPECT_EQ(UnsavedKeysName(), "taro.keys.csv") << "for the question at leaving";
    }
    EXPECT_EQ(ReadBytes(KeysFile()), KeysOf(0, 40)) << "never written over unread";
    Strike(Space);
    ASSERT_EQ(SaveUserData(), 0);
    EXPECT_EQ(ReadBytes(KeysFile()), KeysOf(0, 43));
    EXPECT_EQ(CurrentHistoryPeriods(AllTimeCounts())->today.keys[Space], 3) << "the file's 40 are not today's";
    EXPECT_EQ(UnsavedKeysName(), "");
}

TEST_F(UserKeysTest, AResetWritesZerosAndARegistrationPutsAnEarlierUsersFileAside)
{
    WriteBytes(KeysFile(), KeysOf(0, 40));
    WriteBytes(KeysFile("jiro"), KeysOf(0, 7));   // an earlier jiro's
    LogIn("taro.dat", {});
    ResetMode = 1;
    ASSERT_EQ(ResetUserData(window_.Handle()), 0);
    EXPECT_EQ(ReadBytes(KeysFile()), KeysOf(0, 0));
    ASSERT_TRUE(CopyIfFits(NewUserName, sizeof NewUserName, "jiro"));
    FileHolder spreadsheet(KeysFile("jiro"), FILE_SHARE_READ);
    ASSERT_EQ(ResetUserData(window_.Handle()), 0);
    Strike(Space);
    ASSERT_EQ(SaveUserData(), 0);
    EXPECT_EQ(ReadBytes(KeysFile("jiro")), KeysOf(0, 7)) << "neither read nor written over while held";
    spreadsheet.Release();
    ASSERT_EQ(SaveUserData(), 0);
    EXPECT_EQ(ReadBytes(KeysFile("jiro") + ".bak"), KeysOf(0, 7));
    EXPECT_EQ(ReadBytes(KeysFile("jiro")), KeysOf(0, 1));
}

} // namespace
