// A logged-in session's ways out and its second zeroing: the question when a
// save fails at log-off or exit, the end when no polling thread can be made,
// and the registration check that the polling thread runs after every pass.
#include "app/main_window.h"
#include "app/save_question.h"
#include "clock/uptime_clock_tick.h"
#include "history/history_file.h"
#include "login/new_user_dialog.h"
#include "res/resource.h"
#include "user_data_fixture.h"
#include "win/platform_calls.h"

namespace {

using namespace wintest;

class SessionTest : public UserDataTest {
protected:
    void TearDown() override
    {
        SetFileAttributesA(DataFile("taro.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
        Platform = PlatformCalls{};
        UserDataTest::TearDown();
    }
};

enum class Failure { ReadOnlyFile, DataFolderGone };

TEST_F(SessionTest, FailedSaveWhenLeavingAsksAndDoesAsAnswered)
{
    struct Case {
        Leaving leaving;
        Failure failure;
        int answer;          // the button pressed in the first question
        bool mendFirst;      // the cause is mended before the answer
        bool leaves;         // what SaveBeforeLeaving returns
        bool saved;          // the file holds the counts afterwards
        const char* what;
    } cases[] = {
        {Leaving::Exit, Failure::ReadOnlyFile, IDCANCEL, false, false, false, "exit, cancel: Kivora stays"},
        {Leaving::Exit, Failure::ReadOnlyFile, IDCONTINUE, false, true, false, "exit, continue: leaves unsaved"},
        {Leaving::Exit, Failure::ReadOnlyFile, IDTRYAGAIN, true, true, true, "exit, try again once writable"},
        {Leaving::LogOff, Failure::DataFolderGone, IDCANCEL, false, false, false, "log-off, folder gone, cancel"},
        {Leaving::LogOff, Failure::DataFolderGone, IDCONTINUE, false, true, false, "log-off, continue unsaved"},
        {Leaving::LogOff, Failure::DataFolderGone, IDTRYAGAIN, true, true, true, "log-off, folder back, try again"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        RemoveTree(DataFolder());
        ASSERT_TRUE(CreateDirectoryA(DataFolder().c_str(), nullptr));
        LogIn("taro.dat", {{5, 3}});
        const std::string path = DataFile("taro.dat");
        if (row.failure == Failure::ReadOnlyFile)
            ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
        else
            RemoveTree(DataFolder());
        Lower('e').value = 8;
        catcher_.Clear();
        int asked = 0;
        catcher_.AnswerWith([&](const ShownMessage&) {
            if (++asked > 1)
                return IDCANCEL;   // never ask forever
            if (row.mendFirst && row.failure == Failure::ReadOnlyFile)
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (row.mendFirst && row.failure == Failure::DataFolderGone)
                CreateDirectoryA(DataFolder().c_str(), nullptr);
            return row.answer;
        });

        EXPECT_EQ(SaveBeforeLeaving(window_.Handle(), row.leaving), row.leaves);

        ASSERT_EQ(catcher_.Shown().size(), 1u);
        const ShownMessage& question = catcher_.Shown()[0];
        EXPECT_EQ(question.text.rfind("打鍵数をデータファイルに保存できませんでした。", 0), 0u) << question.text;
        // What leaving loses, in one sentence.
        const std::string leaving = row.leaving == Leaving::Exit ? "［保存せずに終了］を押すと" : "［保存せずにログオフ］を押すと";
        EXPECT_NE(question.text.find(leaving + "、最後に保存できたとき以降の打鍵数"), std::string::npos) << question.text;
        EXPECT_EQ(question.text.find(leaving), question.text.rfind(leaving)) << question.text;
        EXPECT_EQ(question.owner, window_.Handle());
        if (row.saved) {
            EXPECT_EQ(ReadBytes(path), Image({{5, 8}}));
        } else if (row.failure == Failure::ReadOnlyFile) {
            EXPECT_EQ(ReadBytes(path), Image({{5, 3}})) << "the file is unchanged";
        } else {
            EXPECT_FALSE(Exists(DataFolder())) << "nothing is written anywhere else";
        }
        EXPECT_EQ(Lower('e').value.load(), 8) << "the counts stay in memory";
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

// A history that another program holds is part of the question, named; the
// days wait in the pending file, and the button says that leaving loses
// nothing. A pending file held from the login on takes nothing: the question
// says that leaving would lose the day's strokes.
TEST_F(SessionTest, DaysAtRiskWhenLeavingAreAskedAboutTruly)
{
    struct Case {
        const char* held;       // the file another program holds from before the login
        DWORD share;
        int answer;
        const char* opening;    // how the question starts
        const char* consequence;
        const char* button;
        bool pendingAfter;      // the pending file is there afterwards
        const char* what;
    } cases[] = {
        {"taro.history.csv", FILE_SHARE_READ, IDCONTINUE, "日ごとの記録ファイル（taro.history.csv）に書き込めませんでした。",
         "taro.history.pending に残って", "このまま終了(&E)", true, "history held: the days wait"},
        {"taro.history.csv", FILE_SHARE_READ, IDTRYAGAIN, "日ごとの記録ファイル（taro.history.csv）に書き込めませんでした。",
         "taro.history.pending に残って", "このまま終了(&E)", false, "history held, released, tried again"},
        {"taro.history.pending", 0, IDCONTINUE, "日ごとの打鍵数の保留ファイル（taro.history.pending）",
         "以降の日ごとの打鍵数が失われます。", "保存せずに終了(&E)", true, "pending held: the days would be lost"},
        // The 77 keys are in the data file: only the other keys' strokes would be lost.
        {"taro.keys.csv", FILE_SHARE_READ, IDCONTINUE, "すべてのキーの記録ファイル（taro.keys.csv）に書き込めませんでした。",
         "以降の、77 キー以外のキー（スペース、Enter など）の打鍵数が失われます。77 キーの打鍵数はデータファイルに保存してあります。",
         "保存せずに終了(&E)", false, "keys file held: the other keys' strokes would be lost"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        const std::string history = DataFile("taro.history.csv");
        const std::string pending = DataFile("taro.history.pending");
        WriteBytes(history, std::string(HistoryHeader) + "\r\n");
        DeleteFileA(pending.c_str());
        if (std::string(row.held) == "taro.history.pending")
            WriteBytes(pending, "kivora pending history 1\r\n");
        FileHolder holder(DataFile(row.held), row.share);
        LogIn("taro.dat", {{5, 3}});
        Lower('e').value = 8;
        catcher_.Clear();
        std::string button;
        catcher_.AnswerWith([&](const ShownMessage& shown) {
            button = shown.continueButton;
            holder.Release();
            return row.answer;
        });

        EXPECT_TRUE(SaveBeforeLeaving(window_.Handle(), Leaving::Exit));

        ASSERT_EQ(catcher_.Shown().size(), 1u);
        const std::string& text = catcher_.Shown()[0].text;
        EXPECT_EQ(text.rfind(row.opening, 0), 0u) << text;
        EXPECT_NE(text.find(row.consequence), std::string::npos) << text;
        EXPECT_EQ(button, row.button);
        EXPECT_EQ(ReadBytes(DataFile("taro.dat")), Image({{5, 8}})) << "the data file saved";
        EXPECT_EQ(Exists(pending), row.pendingAfter);
        holder.Release();
    }
}

TEST_F(SessionTest, SuccessfulSaveWhenLeavingAsksNothing)
{
    LogIn("taro.dat", {{5, 3}});
    Lower('e').value = 4;
    EXPECT_TRUE(SaveBeforeLeaving(window_.Handle(), Leaving::Exit));
    EXPECT_TRUE(catcher_.Shown().empty());
    EXPECT_EQ(ReadBytes(DataFile("taro.dat")), Image({{5, 4}}));
}

TEST_F(SessionTest, NoPollingThreadMeansSaveThenEnd)
{
    LogIn("taro.dat", {{5, 3}});
    Lower('e').value = 6;
    Platform.createThread = [](LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                               LPDWORD) -> HANDLE { return nullptr; };

    StartCounting();

    ASSERT_EQ(catcher_.Shown().size(), 1u);
    EXPECT_EQ(catcher_.Shown()[0].text, "スレッドが作成できませんでした");
    EXPECT_EQ(ReadBytes(DataFile("taro.dat")), Image({{5, 6}})) << "what was counted is kept";
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 1u);
}

TEST_F(SessionTest, PauseSavesWhatWasCountedUpToIt)
{
    LogIn("taro.dat", {{5, 3}});
    Lower('e').value = 9;
    MainWindowProc(window_.Handle(), WM_COMMAND, IDM_PAUSE, 0);
    EXPECT_EQ(ReadBytes(DataFile("taro.dat")), Image({{5, 9}})) << "a long pause loses nothing";
    MainWindowProc(window_.Handle(), WM_COMMAND, IDM_PAUSE, 0);   // counting again
    StopCounting();
}

// The check runs after every pass: it zeroes once, at the first pass that
// finds a lowercase letter counted, and only for the user just registered.
TEST_F(SessionTest, RegistrationCheckZeroesAtTheFirstLowercaseLetterOnly)
{
    LogIn("taro.dat", {});
    NewUserPending = 1;
    const std::string registered = ReadBytes(DataFile("taro.dat")).value();
    struct Step {
        CountedValue* raised;
        bool zeroed;
        const char* what;
    } steps[] = {
        {&Upper('A'), false, "a capital is counted and kept"},
        {&Key('1'), false, "a digit is counted and kept"},
        {&Key(KeyOem3), false, "a symbol too"},
        {&Lower('b'), true, "a lowercase letter: everything back to zero"},
        {&Lower('c'), false, "after that, counting goes on"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.raised->value += 1;
        Counters.TotalStrokes.value += 1;
        Counters.ClockSeconds.value = 9;

        RunRegistrationCheck();

        if (step.zeroed) {
            EXPECT_EQ(Upper('A').value.load(), 0);
            EXPECT_EQ(Key('1').value.load(), 0);
            EXPECT_EQ(Lower('b').value.load(), 0);
            EXPECT_EQ(Counters.TotalStrokes.value.load(), 0);
            EXPECT_EQ(Counters.ClockSeconds.value.load(), 0);
            EXPECT_EQ(Text(Counters.ClockSeconds), "00");
            EXPECT_EQ(NewUserPending.load(), 0);
            EXPECT_EQ(ReadBytes(DataFile("taro.dat")), Image()) << "the zeroed counts are written";
        } else {
            EXPECT_EQ(step.raised->value.load(), 1);
            EXPECT_EQ(ReadBytes(DataFile("taro.dat")), registered) << "nothing written";
        }
    }
}

} // namespace
