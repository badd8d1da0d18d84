// Loading, saving and resetting a user's counts through real files.
#include <algorithm>

#include "user_data_fixture.h"

namespace {

using namespace wintest;

// Values set in memory, where they lie in the file, and how they read back.
struct FieldCase {
    CountedValue* counted;
    int value;
    int field;
    int stored;          // the value as the file holds it
    const char* text;    // the count text after loading it back
    const char* what;
};

std::vector<FieldCase> FieldCases()
{
    return {
        {&Lower('a'), 3, 1, 3, "3", "a is the first field"},
        {&Lower('e'), 1234, 5, 1234, "1234", "e: bytes 36 to 44"},
        {&Upper('A'), 5, 27, 5, "5", "uppercase follow the 26 lowercase"},
        {&Upper('Z'), 6, 52, 6, "6", "Z ends the letters"},
        {&Counters.ClockSeconds, 7, 53, 7, "07", "seconds show with two digits"},
        {&Counters.ClockMinutes, 60, 54, 60, "60", "minutes of a full hour stay for the next tick"},
        {&Counters.ClockHours, 123, 55, 123, "123", "hours"},
        {&Counters.TotalStrokes, 4567, 56, 4567, "4567", "total at offset 495"},
        {&Counters.StrokesPerHour, 89, 57, 89, "89", "rate at offset 504"},
        {&Key('0'), 10, 58, 10, "10", "digit 0"},
        {&Key('9'), 19, 67, 19, "19", "digit 9"},
        {&Key(KeyRight), 68, 68, 68, "68", "right arrow before left"},
        {&Key(KeyLeft), 69, 69, 69, "69", "left arrow"},
        {&Key(KeyDown), 71, 71, 71, "71", "down arrow ends the arrows"},
        {&Key(KeyOem1), 72, 72, 72, "72", "colon key before semicolon key"},
        {&Key(KeyOemPlus), 73, 73, 73, "73", "semicolon key"},
        {&Key(KeyOem7), 82, 82, 82, "82", "caret key is the last field"},
        {&Upper('M'), 123456789, 39, 99999999, "99999999", "eight digits cap a count, later fields keep their offsets"},
    };
}

TEST_F(UserDataTest, SaveWritesEachValueAtItsFieldAndLoadReadsItBack)
{
    LogIn("taro.dat", {});
    std::map<int, int> expected;
    for (const FieldCase& row : FieldCases()) {
        row.counted->value = row.value;
        expected[row.field] = row.stored;
    }

    ASSERT_EQ(SaveUserData(), 0);
    EXPECT_EQ(ReadBytes(DataFile("taro.dat")), Image(expected));
    EXPECT_FALSE(Exists(DataFile("taro.dat.tmp")));

    Counters.ZeroStoredValues();
    Counters.RefreshCountTexts();
    NewUserPending = 1;
    ASSERT_EQ(LoadUserData(window_.Handle(), window_.Handle()), 0);
    for (const FieldCase& row : FieldCases()) {
        EXPECT_EQ(row.counted->value.load(), row.stored) << row.what;
        EXPECT_EQ(Text(*row.counted), row.text) << row.what;
    }
    EXPECT_EQ(NewUserPending.load(), 0) << "a pending second zeroing never hits a loaded user";
    EXPECT_TRUE(catcher_.Shown().empty());
}

TEST_F(UserDataTest, LoadSetsPathNameAndTitle)
{
    LogIn("taro.dat", {{5, 1}});
    EXPECT_STREQ(DataFilePath, DataFile("taro.dat").c_str());
    EXPECT_STREQ(CurrentUserFile, "taro.dat");
    EXPECT_EQ(window_.Title(), "Kivora - [taro.dat]");

    // A name with a dot inside keeps its whole file name in the title.
    LogIn("a.b.dat", {});
    EXPECT_STREQ(CurrentUserFile, "a.b.dat");
    EXPECT_EQ(window_.Title(), "Kivora - [a.b.dat]");
}

TEST_F(UserDataTest, OddFilesLoadWithoutHarm)
{
    std::string padded = Image({{5, 1234}, {53, 7}});
    struct Case {
        std::optional<std::string> bytes;   // nullopt: no file
        int e, seconds, f;
        const char* what;
    } cases[] = {
        {std::nullopt, 0, 0, 0, "missing: created empty, loads as zeros"},
        {std::string(), 0, 0, 0, "empty file"},
        {Image({{5, 1234}}).substr(0, 45), 1234, 0, 0, "five whole records: later fields give 0"},
        {Image({{5, 1234}}).substr(0, 40), 0, 0, 0, "record cut short by the end of the file gives 0"},
        {padded + std::string(1000, 'x'), 1234, 7, 0, "bytes after the 82nd record are never read"},
        {padded + std::string(65535 - 738, '9'), 1234, 7, 0, "65,535 bytes are still accepted"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        std::string path = DataFile("odd.dat");
        DeleteFileA(path.c_str());
        if (row.bytes)
            WriteBytes(path, *row.bytes);
        // Values from before the load must not survive it.
        Lower('e').value = 11;
        Lower('f').value = 12;
        Counters.ClockSeconds.value = 13;
        Select("odd.dat");

        ASSERT_EQ(LoadUserData(window_.Handle(), window_.Handle()), 0);
        EXPECT_EQ(Lower('e').value.load(), row.e);
        EXPECT_EQ(Counters.ClockSeconds.value.load(), row.seconds);
        EXPECT_EQ(Lower('f').value.load(), row.f);
        EXPECT_EQ(ReadBytes(path), row.bytes ? *row.bytes : std::string()) << "loading never writes";
        EXPECT_EQ(window_.Title(), "Kivora - [odd.dat]");
    }
    EXPECT_TRUE(catcher_.Shown().empty());
}

// A file of 4 GiB and more, sparse so that it costs no disk: the first
// records are good, and its size's low 32 bits are those of a good file.
void WriteHugeFile(const std::string& path, const std::string& start)
{
    WriteBytes(path, start);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = (LONGLONG{1} << 32) + static_cast<LONGLONG>(start.size());
    EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);
}

// Whether a save made by another thread gets through within a few seconds,
// as the save at the end of the session does while a box is up.
bool SaveGetsThroughMeanwhile()
{
    HANDLE saver = CreateThread(
        nullptr, 0, [](LPVOID) -> DWORD { return static_cast<DWORD>(SaveUserData()); }, nullptr, 0, nullptr);
    bool through = WaitForSingleObject(saver, 3000) == WAIT_OBJECT_0;
    CloseHandle(saver);   // if it is stuck, it gets through once the box is answered
    return through;
}

TEST_F(UserDataTest, RefusedLoadChangesNothingAndLaterSavesGoToThePreviousUser)
{
    const std::string tooLong(PathCapacity - DataFolder().size(), 'n');
    struct Case {
        const char* fileName;
        std::string bytes;
        bool holdOpen;   // another handle holds the file without sharing
        bool huge;       // 4 GiB more than bytes
        const char* text;
        const char* caption;
        const char* what;
    } cases[] = {
        {"big.dat", std::string(65536, '0'), false, false, "ファイルサイズが大きすぎます", "Tool Big File!", "65,536 bytes"},
        {"huge.dat", Image({{5, 9}}), false, true, "ファイルサイズが大きすぎます", "Tool Big File!",
         "4 GiB and 738 bytes: the low 32 bits alone would pass"},
        {"held.dat", Image({{5, 9}}), true, false, "データファイルを読み込めませんでした。", "エラー", "file held open"},
        {nullptr, std::string(), false, false, "データファイルのパスが長すぎるため、読み込めません。", "エラー",
         "path of 200 characters or more"},
    };
    HiddenWindow loginDialog;
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        LogIn("hanako.dat", {{5, 42}, {53, 7}});
        catcher_.Clear();
        std::string fileName = row.fileName ? row.fileName : tooLong + ".dat";
        std::string path = DataFile(fileName);
        HANDLE held = INVALID_HANDLE_VALUE;
        if (row.huge)
            WriteHugeFile(path, row.bytes);
        else if (row.fileName)
            WriteBytes(path, row.bytes);
        if (row.holdOpen)
            held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        Select(fileName.c_str());
        bool savedWhileAsked = false;
        catcher_.AnswerWith([&](const ShownMessage&) {
            savedWhileAsked = SaveGetsThroughMeanwhile();
            return IDOK;
        });

        EXPECT_EQ(LoadUserData(window_.Handle(), loginDialog.Handle()), -1);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);

        ASSERT_EQ(catcher_.Shown().size(), 1u);
        EXPECT_EQ(catcher_.Shown()[0].text, row.text);
        EXPECT_EQ(catcher_.Shown()[0].caption, row.caption);
        EXPECT_EQ(catcher_.Shown()[0].owner, loginDialog.Handle()) << "the dialog that asked waits for the answer";
        EXPECT_TRUE(savedWhileAsked) << "no file lock is held while the user is told";
        EXPECT_EQ(Lower('e').value.load(), 42);
        EXPECT_EQ(Text(Lower('e')), "42");
        EXPECT_EQ(Text(Counters.ClockSeconds), "07");
        EXPECT_STREQ(DataFilePath, DataFile("hanako.dat").c_str());
        EXPECT_STREQ(CurrentUserFile, "hanako.dat");
        EXPECT_EQ(window_.Title(), "Kivora - [hanako.dat]");

        Lower('e').value = 43;
        ASSERT_EQ(SaveUserData(), 0);
        EXPECT_EQ(ReadBytes(DataFile("hanako.dat")), Image({{5, 43}, {53, 7}}));
        if (row.fileName && !row.huge) {
            EXPECT_EQ(ReadBytes(path), row.bytes) << "the refused file is left alone";
        }
        if (row.huge)
            DeleteFileA(path.c_str());
    }
}

TEST_F(UserDataTest, StaleTemporaryFileIsRecoveredOnlyWhenWholeAndTheFileMissing)
{
    const std::string whole = Image({{5, 77}});
    struct Case {
        std::optional<std::string> file;   // nullopt: missing
        std::string temporary;
        int loaded;
        const char* what;
    } cases[] = {
        {std::nullopt, whole, 77, "save interrupted after the write: the finished file takes its place"},
        {std::nullopt, whole.substr(0, 300), 0, "torn temporary file is dropped"},
        {std::nullopt, whole + "x", 0, "temporary file with extra bytes is dropped"},
        {Image({{5, 5}}), whole, 5, "the file itself wins over any temporary file"},
        {Image({{5, 5}}), whole.substr(0, 300), 5, "torn temporary file beside the file"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        std::string path = DataFile("taro.dat");
        DeleteFileA(path.c_str());
        if (row.file)
            WriteBytes(path, *row.file);
        WriteBytes(path + ".tmp", row.temporary);
        Select("taro.dat");

        ASSERT_EQ(LoadUserData(window_.Handle(), window_.Handle()), 0);
        EXPECT_EQ(Lower('e').value.load(), row.loaded);
        EXPECT_FALSE(Exists(path + ".tmp"));
        ASSERT_TRUE(Exists(path));
    }
}

TEST_F(UserDataTest, SaveReplacesTheWholeFileInOneStep)
{
    LogIn("taro.dat", {{5, 1}});
    struct Case {
        std::string before;
        std::optional<std::string> temporary;
        const char* what;
    } cases[] = {
        {Image({{5, 1}}) + std::string(2000, '7'), std::nullopt, "a longer file is cut to the 82 records"},
        {"short", std::nullopt, "a short file is completed"},
        {Image(), std::string("torn"), "a save goes beside a torn temporary file of an earlier save"},
    };
    int value = 100;
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        WriteBytes(DataFile("taro.dat"), row.before);
        if (row.temporary)
            WriteBytes(DataFile("taro.dat.tmp"), *row.temporary);
        Lower('e').value = ++value;

        ASSERT_EQ(SaveUserData(), 0);
        EXPECT_EQ(ReadBytes(DataFile("taro.dat")), Image({{5, value}}));
        EXPECT_EQ(ReadBytes(DataFile("taro.dat.tmp")), row.temporary);
        EXPECT_FALSE(Exists(DataFile("taro.dat.1.tmp")));
    }
    EXPECT_STREQ(CurrentUserFile, "taro.dat");
    EXPECT_EQ(window_.Title(), "Kivora - [taro.dat]");

    // What saves killed midway left is cleared at the next login.
    WriteBytes(DataFile("taro.dat.2.tmp"), "torn too");
    WriteBytes(DataFile("taro.history.csv.tmp"), "torn");
    for (const char* name : {"taro.apps.csv.tmp", "taro.apps.csv.1.tmp", "taro.history.csv.leftover.tmp"})
        WriteBytes(DataFile(name), "torn");   // apps.csv's and a mark's too
    LogIn("taro.dat", {{5, 1}});
    std::vector<std::string> left = ListFolder(DataFolder());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, std::vector<std::string>({"taro.dat", "taro.history.pending", "taro.keys.csv"}));
}

TEST_F(UserDataTest, SaveBeforeAnyLoginWritesNothing)
{
    Lower('e').value = 5;
    EXPECT_EQ(SaveUserData(), 0);
    EXPECT_TRUE(ListFolder(DataFolder()).empty());
}

TEST_F(UserDataTest, WriteToReadOnlyFileFailsAndChangesNothingOnDisk)
{
    struct Case {
        bool reset;
        const char* what;
    } cases[] = {
        {false, "save"},
        {true, "reset of the current user"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        const std::string before = Image({{5, 3}});
        LogIn("taro.dat", {{5, 3}});
        std::string path = DataFile("taro.dat");
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
        Lower('e').value = 8;

        int result;
        if (row.reset) {
            ResetMode = 1;
            result = ResetUserData(window_.Handle());
        } else {
            result = SaveUserData();
        }
        EXPECT_EQ(result, -1);
        EXPECT_EQ(ReadBytes(path), before);
        EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});
        EXPECT_FALSE(Exists(path + ".tmp"));
        EXPECT_EQ(Lower('e').value.load(), row.reset ? 0 : 8) << "memory keeps what the operation made of it";
        EXPECT_EQ(ResetMode.load(), 0);

        // Once writable again, the next save gets through.
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
        Lower('e').value = 9;
        EXPECT_EQ(SaveUserData(), 0);
        EXPECT_EQ(ReadBytes(path), Image({{5, 9}}));
    }
    EXPECT_TRUE(catcher_.Shown().empty()) << "saves report nothing to the user";
}

TEST_F(UserDataTest, ResetZeroesMemoryAndFileAndKeepsTheUser)
{
    struct Case {
        std::optional<std::string> fileBefore;   // nullopt: the file has vanished
        const char* what;
    } cases[] = {
        {Image({{5, 3}}), "ordinary reset"},
        {Image({{5, 3}}) + std::string(500, '5'), "an older, longer file leaves no tail"},
        {std::nullopt, "a vanished file is created anew"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        LogIn("taro.dat", {{5, 3}, {53, 9}, {55, 2}, {56, 3}, {68, 4}});
        std::string path = DataFile("taro.dat");
        DeleteFileA(path.c_str());
        if (row.fileBefore)
            WriteBytes(path, *row.fileBefore);

        ResetMode = 1;
        EXPECT_EQ(ResetUserData(window_.Handle()), 0);
        EXPECT_EQ(ReadBytes(path), Image());
        EXPECT_EQ(ResetMode.load(), 0);
        for (CountedValue* counted : {&Lower('e'), &Counters.ClockHours, &Counters.TotalStrokes, &Key(KeyRight)}) {
            EXPECT_EQ(counted->value.load(), 0);
            EXPECT_EQ(Text(*counted), "0");
        }
        EXPECT_EQ(Text(Counters.ClockSeconds), "00");
        EXPECT_STREQ(DataFilePath, path.c_str());
        EXPECT_STREQ(CurrentUserFile, "taro.dat");
        EXPECT_EQ(window_.Title(), "Kivora - [taro.dat]");
    }
}

TEST_F(UserDataTest, CreatingANewUserWritesZerosAndLogsThemIn)
{
    LogIn("taro.dat", {{5, 3}});
    ASSERT_TRUE(CopyIfFits(NewUserName, sizeof NewUserName, "jiro"));
    ResetMode = 0;

    EXPECT_EQ(ResetUserData(window_.Handle()), 0);
    EXPECT_EQ(ReadBytes(DataFile("jiro.dat")), Image());
    EXPECT_EQ(ReadBytes(DataFile("taro.dat")), Image({{5, 3}})) << "the previous user's file is left alone";
    EXPECT_EQ(Lower('e').value.load(), 0);
    EXPECT_STREQ(DataFilePath, DataFile("jiro.dat").c_str());
    EXPECT_STREQ(CurrentUserFile, "jiro.dat");
    EXPECT_EQ(window_.Title(), "Kivora - [jiro.dat]");

    // Saves now go to the new user's file.
    Lower('e').value = 1;
    ASSERT_EQ(SaveUserData(), 0);
    EXPECT_EQ(ReadBytes(DataFile("jiro.dat")), Image({{5, 1}}));
    EXPECT_EQ(ReadBytes(DataFile("taro.dat")), Image({{5, 3}}));
}

TEST_F(UserDataTest, CreatingNeverReplacesAnExistingFile)
{
    struct Case {
        const char* name;
        const char* existing;   // file already in the data folder, or nullptr
        bool removeDataFolder;
        const char* what;
    } cases[] = {
        {"hanako", "hanako.dat", false, "same name"},
        {"hanako", "HANAKO.DAT", false, "same name in another letter case"},
        {"Hanako", "hanako.dat", false, "typed with a capital"},
        {"jiro", nullptr, true, "no data folder to create the file in"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        RemoveTree(DataFolder());
        ASSERT_TRUE(CreateDirectoryA(DataFolder().c_str(), nullptr));
        LogIn("taro.dat", {{5, 3}, {53, 7}});
        const std::string theirs = Image({{5, 50}});
        if (row.existing)
            WriteBytes(DataFile(row.existing), theirs);
        if (row.removeDataFolder)
            RemoveTree(DataFolder());
        ASSERT_TRUE(CopyIfFits(NewUserName, sizeof NewUserName, row.name));
        ResetMode = 0;

        EXPECT_EQ(ResetUserData(window_.Handle()), -1);
        if (row.existing) {
            EXPECT_EQ(ReadBytes(DataFile(row.existing)), theirs);
            EXPECT_FALSE(Exists(DataFile(std::string(row.name) + ".dat.tmp")));
        }
        EXPECT_EQ(Lower('e').value.load(), 3);
        EXPECT_EQ(Text(Counters.ClockSeconds), "07");
        EXPECT_STREQ(DataFilePath, DataFile("taro.dat").c_str());
        EXPECT_STREQ(CurrentUserFile, "taro.dat");
        EXPECT_EQ(window_.Title(), "Kivora - [taro.dat]");
        EXPECT_EQ(ResetMode.load(), 0);
    }
}

} // namespace
