#pragma once
// A logged-in user with a real data file in a fresh application folder, and
// the helpers to look at the counts: shared by the tests of loading, saving,
// leaving and registering.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "keys/key_codes.h"
#include "store/user_data.h"
#include "users/user_list.h"
#include "win/ansi_text.h"
#include "win/main_window_frame.h"
#include "win/modal_ui.h"
#include "win/notices.h"
#include "win_test_support.h"

namespace wintest {

// A whole data file whose fields (1-based) hold the given values, the others 0.
inline std::string Image(const std::map<int, int>& fields = {})
{
    std::string bytes;
    for (int field = 1; field <= 82; ++field) {
        char record[16];
        auto at = fields.find(field);
        std::snprintf(record, sizeof record, "%08d", at == fields.end() ? 0 : at->second);
        bytes.append(record, 8);
        bytes += '\0';
    }
    return bytes;
}

inline std::string Text(const CountedValue& counted)
{
    char text[CountTextSize];
    Counters.CopyText(counted, text);
    return text;
}

inline CountedValue& Lower(char letter) { return Counters.LowercaseGroup.FindKey(letter - 'a' + 'A')->count; }
inline CountedValue& Upper(char letter) { return Counters.UppercaseGroup.FindKey(letter)->count; }
inline CountedValue& Key(int virtualKey) { return Counters.DigitSymbolGroup.FindKey(virtualKey)->count; }

// Holds a file as another program does: a spreadsheet (read, others may only
// read) or a backup or antivirus client (nobody else may open it).
class FileHolder {
public:
    FileHolder(const std::string& path, DWORD share)
        : file_(CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    ~FileHolder() { Release(); }
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;

    bool Holding() const { return file_ != INVALID_HANDLE_VALUE; }
    void Release()
    {
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE file_;
};

class UserDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(catcher_.Installed());
        ASSERT_TRUE(CopyIfFits(AppFolder, sizeof AppFolder, folder_.Path().c_str()));
        ASSERT_TRUE(CreateDirectoryA(DataFolder().c_str(), nullptr));
        std::memset(UserFiles, 0, sizeof UserFiles);
        SelectedUser = -1;
        DataFilePath[0] = '\0';
        CurrentUserFile[0] = '\0';
        NewUserName[0] = '\0';
        ResetMode = 0;
        NewUserPending = 0;
        Counters.ZeroStoredValues();
        Counters.RefreshCountTexts();
        OtherKeys.Store({});
        MainWindow = window_.Handle();
    }

    void TearDown() override
    {
        // Nothing may go on writing into the folder that is about to vanish.
        DataFilePath[0] = '\0';
        CurrentUserFile[0] = '\0';
        AppFolder[0] = '\0';
        MainWindow = nullptr;
    }

    std::string DataFolder() const { return folder_ / "data"; }
    std::string DataFile(const std::string& name) const { return Join(DataFolder(), name); }

    void Select(const char* fileName)
    {
        ASSERT_TRUE(CopyIfFits(UserFiles[0], UserEntryCapacity, fileName));
        SelectedUser = 0;
    }

    // Logs a user in through a real load of a file with the given fields.
    void LogIn(const char* fileName, const std::map<int, int>& fields)
    {
        WriteBytes(DataFile(fileName), Image(fields));
        Select(fileName);
        ASSERT_EQ(LoadUserData(window_.Handle(), window_.Handle()), 0);
    }

    TempFolder folder_;
    HiddenWindow window_;
    MessageBoxCatcher catcher_;
};

} // namespace wintest
