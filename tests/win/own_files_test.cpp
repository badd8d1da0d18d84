// Kivora's own files are known by what they are, not by how a path spells
// them, and the commands check their target only after everything they read.
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "history/history_file.h"
#include "options/settings_file.h"
#include "store/own_files.h"
#include "store/user_for_command.h"
#include "user_data_fixture.h"

namespace {

using namespace wintest;

// Wine's own drive for the root of the Linux file system: Z:\<Linux path>.
std::wstring WineZDrive(const std::wstring& path)
{
    using UnixName = char*(CDECL*)(const wchar_t*);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName != nullptr ? unixName(path.c_str()) : nullptr;
    if (name == nullptr)
        return std::wstring();
    std::wstring spelled = L"Z:";
    for (const char* c = name; *c != '\0'; ++c)
        spelled += *c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c));
    HeapFree(GetProcessHeap(), 0, name);
    return spelled;
}

// A free drive letter defined as the folder, as subst does.
class SubstDrive {
public:
    explicit SubstDrive(const std::wstring& folder)
    {
        DWORD used = GetLogicalDrives();
        for (wchar_t letter = L'P'; letter <= L'Y' && drive_.empty(); ++letter) {
            if ((used & (1u << (letter - L'A'))) == 0)
                drive_ = std::wstring{letter, L':'};
        }
        if (!drive_.empty() && !DefineDosDeviceW(0, drive_.c_str(), folder.c_str()))
            drive_.clear();
    }
    ~SubstDrive()
    {
        if (!drive_.empty())
            DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive_.c_str(), nullptr);
    }
    SubstDrive(const SubstDrive&) = delete;
    SubstDrive& operator=(const SubstDrive&) = delete;

    const std::wstring& Drive() const { return drive_; }

private:
    std::wstring drive_;
};

// An empty folder made a junction to target (a mount point reparse point).
bool MakeJunction(const std::wstring& junction, const std::wstring& target)
{
    if (!CreateDirectoryW(junction.c_str(), nullptr))
        return false;
    HANDLE folder = CreateFileW(junction.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return false;
    const std::wstring substitute = L"\\??\\" + target;
    const WORD substituteBytes = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
    const WORD printBytes = static_cast<WORD>(target.size() * sizeof(wchar_t));
    struct {
        DWORD tag;
        WORD dataLength, reserved;
        WORD substituteOffset, substituteLength, printOffset, printLength;
        wchar_t names[2 * MAX_PATH];
    } point = {IO_REPARSE_TAG_MOUNT_POINT, static_cast<WORD>(8 + substituteBytes + 2 + printBytes + 2), 0, 0,
               substituteBytes, static_cast<WORD>(substituteBytes + 2), printBytes, {}};
    std::memcpy(point.names, substitute.c_str(), substituteBytes);
    std::memcpy(reinterpret_cast<char*>(point.names) + point.printOffset, target.c_str(), printBytes);
    DWORD returned = 0;
    bool made = DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, &point, point.dataLength + 8, nullptr, 0, &returned,
                                nullptr);
    CloseHandle(folder);
    return made;
}

std::wstring ShortPath(const std::wstring& path)
{
    wchar_t shortened[MAX_PATH];
    DWORD size = GetShortPathNameW(path.c_str(), shortened, MAX_PATH);
    return size > 0 && size < MAX_PATH ? std::wstring(shortened, size) : std::wstring();
}

class OwnFilesTest : public UserDataTest {
protected:
    void SetUp() override
    {
        UserDataTest::SetUp();
        ASSERT_TRUE(CopyIfFits(SettingsPath, sizeof SettingsPath, (folder_ / "set.ini").c_str()));
    }
    void TearDown() override
    {
        SettingsPath[0] = '\0';
        UserDataTest::TearDown();
    }

    std::wstring App() const { return WideOf(folder_.Path()); }
};

TEST_F(OwnFilesTest, RecognisedHoweverTheirPathIsSpelled)
{
    for (const char* name : {"taro.dat", "taro.history.csv", "taro.history.csv.bak", "taro.history.pending",
                             "taro.sync-state"})
        WriteBytes(DataFile(name), "kept");
    WriteBytes(folder_ / "set.ini", "[setup]\r\n");
    ASSERT_TRUE(CreateDirectoryA(DataFile("later").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((folder_ / "data2").c_str(), nullptr));
    WriteBytes(folder_ / "taro.dat", "a copy beside the data folder");

    // Where the application folder is, as a spelling writes it; empty when
    // this system cannot spell it so.
    struct Spelling {
        const char* what;
        std::wstring app;
    };
    std::vector<Spelling> spellings = {
        {"as Kivora found it", App()},
        {"\\\\?\\", L"\\\\?\\" + App()},
        {"Z:, Wine's drive of the Linux root", WineZDrive(App())},
        {"8.3 short names", ShortPath(App())},
        {"letters in another case, forward slashes", [&] {
             std::wstring upper = App();
             CharUpperW(upper.data());
             std::replace(upper.begin() + 3, upper.end(), L'\\', L'/');
             return upper;
         }()},
        {"a way through ..", App() + L"\\data\\..\\."},
    };
    SubstDrive subst(App());
    // Wine defines such a drive but opens nothing through it.
    const bool substReaches = !subst.Drive().empty() &&
                              GetFileAttributesW((subst.Drive() + L"\\data").c_str()) != INVALID_FILE_ATTRIBUTES;
    spellings.push_back({"a subst drive (DefineDosDevice)", substReaches ? subst.Drive() : std::wstring()});
    TempFolder elsewhere;
    const std::wstring junction = WideOf(elsewhere / "junction");
    const bool junctionMade = MakeJunction(junction, App());
    spellings.push_back({"a junction", junctionMade ? junction : std::wstring()});

    struct Target {
        const wchar_t* name;   // in the application folder
        bool own;
        const char* what;
    } targets[] = {
        {L"data\\taro.dat", true, "the data file"},
        {L"data\\taro.history.csv", true, "the history"},
        {L"data\\taro.history.csv.bak", true, "a backup"},
        {L"data\\taro.history.pending", true, "the pending days"},
        {L"data\\taro.sync-state", true, "a file that another version keeps there"},
        {L"data\\picture.png", true, "a new file in the data folder"},
        {L"data\\later\\picture.png", true, "a new file in a folder of the data folder"},
        {L"data", true, "the data folder itself"},
        {L"set.ini", true, "the settings file"},
        {L"set.ini:picture", true, "a stream of the settings file"},
        {L"taro.dat", false, "a file of the same name beside the data folder"},
        {L"data2\\taro.dat", false, "a folder whose name begins like the data folder's"},
        {L"set.ini.csv", false, "a name that begins like the settings file's"},
    };
    for (std::size_t i = 0; i < spellings.size(); ++i) {
        const Spelling& spelling = spellings[i];
        if (i > 0 && (spelling.app.empty() || spelling.app == App())) {
            std::printf("[   NOTE   ] not tried, this system cannot make it: %s\n", spelling.what);
            continue;
        }
        for (const Target& target : targets) {
            SCOPED_TRACE(std::string(spelling.what) + ": " + target.what);
            EXPECT_EQ(IsKivoraOwnFile(spelling.app + L"\\" + target.name), target.own);
        }
    }

    // Short names of the files themselves, where the system gives them.
    for (const char* name : {"taro.history.csv", "taro.history.pending", "taro.sync-state"}) {
        SCOPED_TRACE(name);
        std::wstring shortened = ShortPath(WideOf(DataFile(name)));
        ASSERT_FALSE(shortened.empty());
        EXPECT_TRUE(IsKivoraOwnFile(shortened));
    }

    // Before it is first written, the settings file is known by its name in
    // the application folder, under any spelling of that folder.
    ASSERT_TRUE(DeleteFileA((folder_ / "set.ini").c_str()));
    EXPECT_TRUE(IsKivoraOwnFile(ShortPath(App()) + L"\\SET.INI"));
    EXPECT_TRUE(IsKivoraOwnFile(L"\\\\?\\" + App() + L"\\set.ini"));
    EXPECT_FALSE(IsKivoraOwnFile(App() + L"\\data2\\set.ini"));

    // The link alone: removing the folder behind it would reach the data.
    RemoveDirectoryW(junction.c_str());
}

// The commands check in one order, the first check that fails giving the
// exit code, and write nothing unless every check passed.
TEST_F(OwnFilesTest, CommandsCheckInOneOrderAndWriteNothingUntilAllPass)
{
    const std::string history = std::string(HistoryHeader) + "\r\n";
    WriteBytes(DataFile("taro.dat"), Image({{2, 5}, {56, 5}}));
    WriteBytes(folder_ / "set.ini", "[setup]\r\nAUTOSTART=0\r\n");
    struct Case {
        const char* arguments;
        bool historyReadable;
        int exitCode;
        const char* what;
    } cases[] = {
        {"/chart hanako data\\taro.dat 45", true, CommandWrongArguments, "arguments before the user"},
        {"/heatmap hanako set.ini today", true, CommandUnknownUser, "the user before the file"},
        {"/export taro data\\taro.dat", false, CommandUnreadable, "the history before the file"},
        {"/chart taro set.ini", false, CommandUnreadable, "the days before the file"},
        {"/heatmap taro set.ini all", false, CommandUnwritable, "all time reads no history: the file is checked"},
        {"/export taro set.ini", true, CommandUnwritable, "the settings file"},
        {"/heatmap taro nowhere\\x.png 7", true, CommandUnwritable, "a file that cannot be written"},
        {"/chart taro chart.png 90", true, CommandDone, "every check passed"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        WriteBytes(DataFile("taro.history.csv"), row.historyReadable ? history : "not,a,history\r\n");
        EXPECT_EQ(RunKivora(folder_.Path(), row.arguments), row.exitCode);
    }
    EXPECT_EQ(ReadBytes(DataFile("taro.dat")), Image({{2, 5}, {56, 5}}));
    EXPECT_EQ(ReadBytes(folder_ / "set.ini"), "[setup]\r\nAUTOSTART=0\r\n");
    EXPECT_FALSE(Exists(folder_ / "x.png"));
    EXPECT_TRUE(Exists(folder_ / "chart.png"));
    EXPECT_EQ(ListFolder(DataFolder()).size(), 2u) << "nothing written beside the user's files";
}

} // namespace
