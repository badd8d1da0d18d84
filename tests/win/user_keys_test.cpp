// The keys file beside the data file: the other keys' all-time counts read at
// a login and written with each save, and never written over while it cannot
// be read.
#include "history/history_file.h"
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
    for (int i = 0; i < times; ++i)
        OtherKeys.Raise(key - DataFileKeyCount);
}

// What a save writes for the counts in memory, a (the data file's) aside.
std::string KeysOf(int aCount, int spaceCount, int enterCount = 0)
{
    HistoryCounts counts;
    counts.keys[0] = aCount;
    counts.keys[Space] = spaceCount;
    counts.keys[Enter] = enterCount;
    return FormatKeysFile(counts);
}

class UserKeysTest : public UserDataTest {
protected:
    std::string KeysFile() const { return DataFile("taro.keys.csv"); }
    int64_t Today(int key) const { return CurrentHistoryPeriods(AllTimeCounts())->today.keys[key]; }
};

TEST_F(UserKeysTest, ALoginTakesWhatCanBeReadAndKeepsTheRestAside)
{
    struct Case {
        const char* what;
        std::optional<std::string> file;   // none: no keys file
        int64_t space, enter;              // loaded
        bool keptAside;                    // as taro.keys.csv.bak
    } cases[] = {
        {"no keys file yet", std::nullopt, 0, 0, false},
        {"its own form; a is the data file's", KeysOf(999, 40, 5), 40, 5, false},
        {"saved back by a spreadsheet", "\xEF\xBB\xBF\"key\",\"count\"\n\"space\",\"40\"\n\nenter,5\n", 40, 5, false},
        {"a line that cannot be read", "key,count\r\nspace,4x\r\nenter,5\r\nnokey,3\r\n", 0, 5, true},
        {"a key twice: the first line counts", "key,count\r\nspace,7\r\nspace,8\r\n", 7, 0, true},
        {"not a keys file", "date,seconds\r\nspace,40\r\n", 0, 0, true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        DeleteFileA(KeysFile().c_str());
        DeleteFileA((KeysFile() + ".bak").c_str());
        if (row.file)
            WriteBytes(KeysFile(), *row.file);
        Strike(Space, 3);   // counted before the login: the file's counts replace them
        LogIn("taro.dat", {{1, 3}});
        EXPECT_EQ(Other(Space), row.space);
        EXPECT_EQ(Other(Enter), row.enter);
        EXPECT_EQ(ReadBytes(KeysFile() + ".bak"), row.keptAside ? row.file : std::nullopt);

        Strike(Space, 2);
        ASSERT_EQ(SaveUserData(), 0);
        EXPECT_EQ(ReadBytes(KeysFile()), KeysOf(3, row.space + 2, row.enter));
        EXPECT_EQ(UnsavedKeysName(), "");
    }
}

TEST_F(UserKeysTest, AHeldFileIsReadAtALaterSaveAndItsCountsAreNoDaysStrokes)
{
    WriteBytes(KeysFile(), KeysOf(0, 40));
    {
        FileHolder backup(KeysFile(), 0);   // nobody else may even read it
        ASSERT_TRUE(backup.Holding());
        LogIn("taro.dat", {});
        EXPECT_EQ(Other(Space), 0) << "counting starts while the file waits";
        Strike(Space, 2);
        EXPECT_EQ(SaveUserData(), 0) << "the data file is saved all the same";
        EXPECT_EQ(UnsavedKeysName(), "taro.keys.csv");
    }
    EXPECT_EQ(ReadBytes(KeysFile()), KeysOf(0, 40)) << "never written over unread";

    Strike(Space);
    ASSERT_EQ(SaveUserData(), 0);
    EXPECT_EQ(ReadBytes(KeysFile()), KeysOf(0, 43));
    EXPECT_EQ(Other(Space), 43);
    EXPECT_EQ(Today(Space), 3) << "the file's 40 are not today's";
    EXPECT_EQ(UnsavedKeysName(), "");
}

TEST_F(UserKeysTest, AResetWritesZerosAndARegistrationPutsAnEarlierUsersFileAside)
{
    WriteBytes(KeysFile(), KeysOf(0, 40));
    LogIn("taro.dat", {});
    Strike(Enter);
    ResetMode = 1;
    ASSERT_EQ(ResetUserData(window_.Handle()), 0);
    EXPECT_EQ(Other(Space), 0);
    EXPECT_EQ(ReadBytes(KeysFile()), KeysOf(0, 0));
    EXPECT_EQ(Today(Enter), 1) << "the day keeps what it counted";

    // An earlier jiro left a keys file: the new jiro's counts start at zero.
    const std::string earlier = DataFile("jiro.keys.csv");
    WriteBytes(earlier, KeysOf(0, 7));
    Strike(Space, 2);
    ASSERT_TRUE(CopyIfFits(NewUserName, sizeof NewUserName, "jiro"));
    {
        FileHolder spreadsheet(earlier, FILE_SHARE_READ);
        ASSERT_EQ(ResetUserData(window_.Handle()), 0);
        EXPECT_EQ(Other(Space), 0);
        Strike(Space);
        ASSERT_EQ(SaveUserData(), 0);
        EXPECT_EQ(ReadBytes(earlier), KeysOf(0, 7)) << "an earlier user's file is never written over";
    }
    ASSERT_EQ(SaveUserData(), 0);
    EXPECT_EQ(ReadBytes(earlier + ".bak"), KeysOf(0, 7));
    EXPECT_EQ(ReadBytes(earlier), KeysOf(0, 1));
}

TEST_F(UserKeysTest, AWholeTemporaryFileOfAKilledFirstSaveTakesThePlaceOfAMissingOne)
{
    WriteBytes(KeysFile() + ".tmp", KeysOf(0, 12));
    WriteBytes(KeysFile() + ".1.tmp", "key,count\r\nspa");
    LogIn("taro.dat", {});
    EXPECT_EQ(Other(Space), 12);
    EXPECT_FALSE(Exists(KeysFile() + ".1.tmp"));

    WriteBytes(DataFile("jiro.dat"), Image());
    WriteBytes(DataFile("jiro.keys.csv.tmp"), "key,count\r\nspace,12\r\n");   // torn: keys missing
    Select("jiro.dat");
    ASSERT_EQ(LoadUserData(window_.Handle(), window_.Handle()), 0);
    EXPECT_EQ(Other(Space), 0);
    EXPECT_FALSE(Exists(DataFile("jiro.keys.csv")));
}

} // namespace
