// The notification-area icon and the one-second clock when the system says
// no: an icon that cannot be added yet (the taskbar is not up) and a timer
// that cannot be set, both tried again until they work, and told once.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/tray_icon.h"
#include "capture/key_poll_thread.h"
#include "clock/uptime_clock_tick.h"
#include "win/main_window_frame.h"
#include "win/notices.h"
#include "win/platform_calls.h"
#include "win_test_support.h"

namespace {

using namespace wintest;

// What the fake shell and timer calls saw, and how many of them fail. Like
// the shell, it refuses to add an icon it has and to modify one it has not.
struct FakeSystem {
    int addsToFail = 0;
    bool failedAddsAddAllTheSame = false;   // a shell busy past its time-out
    bool iconThere = false;
    int adds = 0;
    std::vector<std::string> balloons;   // titles, in order
    int timersToFail = 0;
    int timerCalls = 0;
    TIMERPROC retryProc = nullptr;
    UINT retryPeriod = 0;
    bool retryKilled = false;
} Fake;

BOOL WINAPI FakeNotifyIcon(DWORD message, PNOTIFYICONDATAA data)
{
    switch (message) {
    case NIM_ADD:
        ++Fake.adds;
        if (Fake.iconThere)
            return FALSE;
        if (Fake.addsToFail-- > 0) {
            Fake.iconThere = Fake.failedAddsAddAllTheSame;
            return FALSE;
        }
        Fake.iconThere = true;
        return TRUE;
    case NIM_MODIFY:
        if (Fake.iconThere && (data->uFlags & NIF_INFO))
            Fake.balloons.push_back(data->szInfoTitle);
        return Fake.iconThere ? TRUE : FALSE;
    case NIM_DELETE: {
        bool deleted = Fake.iconThere;
        Fake.iconThere = false;
        return deleted ? TRUE : FALSE;
    }
    default:
        return FALSE;
    }
}

UINT_PTR WINAPI FakeSetTimer(HWND, UINT_PTR id, UINT period, TIMERPROC procedure)
{
    ++Fake.timerCalls;
    if (Fake.timersToFail > 0) {
        --Fake.timersToFail;
        return 0;
    }
    if (id != ClockTimerId) {   // the icon's retries: kept, called by the test
        Fake.retryProc = procedure;
        Fake.retryPeriod = period;
    }
    return id;
}

BOOL WINAPI FakeKillTimer(HWND, UINT_PTR id)
{
    if (id != ClockTimerId)
        Fake.retryKilled = true;
    return TRUE;
}

class TrayClockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Fake = FakeSystem{};
        Platform.notifyIcon = FakeNotifyIcon;
        Platform.setTimer = FakeSetTimer;
        Platform.killTimer = FakeKillTimer;
        MainWindow = window_.Handle();
        TrayIconData = {};
        TrayIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
        TrayIconData.hWnd = MainWindow;
        TrayIconData.uFlags = NIF_MESSAGE | NIF_TIP;
    }

    void TearDown() override
    {
        RemoveTrayIcon();
        StopClock();
        NoteOutcome(Notice::SaveFailed, true);
        NoteOutcome(Notice::ClockFailed, true);
        Platform = PlatformCalls{};
        MainWindow = nullptr;
    }

    void RetryTick() { Fake.retryProc(MainWindow, WM_TIMER, 2, 0); }

    HiddenWindow window_;
};

TEST_F(TrayClockTest, IconThatCannotBeAddedYetIsTriedAgainUntilItIsThere)
{
    Fake.addsToFail = 2;
    AddTrayIcon();
    EXPECT_FALSE(TrayIconShown());
    ASSERT_NE(Fake.retryProc, nullptr) << "a retry timer is set";
    EXPECT_GT(Fake.retryPeriod, 0u);
    EXPECT_LE(Fake.retryPeriod, 5000u);

    // A save that fails meanwhile is told as soon as there is an icon to tell it on.
    NoteSaveResult(false);
    EXPECT_TRUE(Fake.balloons.empty());

    RetryTick();
    EXPECT_FALSE(TrayIconShown());
    RetryTick();
    EXPECT_TRUE(TrayIconShown());
    EXPECT_EQ(Fake.adds, 3);
    EXPECT_EQ(Fake.balloons, std::vector<std::string>{"Kivora: 保存できませんでした"});

    // A restarted shell forgets the icon; it comes back, once.
    Fake.iconThere = false;
    RestoreTrayIcon();
    EXPECT_TRUE(TrayIconShown());
    EXPECT_EQ(Fake.adds, 4);
}

TEST_F(TrayClockTest, RetriesStopAfterAWhileAndTheShellsAnnouncementStartsThemAgain)
{
    Fake.addsToFail = 1000;
    AddTrayIcon();
    ASSERT_NE(Fake.retryProc, nullptr);
    for (int tick = 0; tick < 200 && !Fake.retryKilled; ++tick)
        RetryTick();
    EXPECT_TRUE(Fake.retryKilled) << "not forever";
    EXPECT_GE(Fake.adds, 10) << "but for a while";

    Fake.addsToFail = 0;
    RestoreTrayIcon();   // TaskbarCreated
    EXPECT_TRUE(TrayIconShown());

    // Before the first login no icon is wanted: the announcement adds none.
    RemoveTrayIcon();
    int adds = Fake.adds;
    RestoreTrayIcon();
    EXPECT_FALSE(TrayIconShown());
    EXPECT_EQ(Fake.adds, adds);
}

// A busy shell may report a failed add and add the icon all the same; every
// later add then fails. The icon is found by a modify, never left a ghost.
TEST_F(TrayClockTest, AddReportedAsFailedButDoneIsFoundAndDeletedAtExit)
{
    Fake.addsToFail = 1;
    Fake.failedAddsAddAllTheSame = true;
    AddTrayIcon();
    EXPECT_FALSE(TrayIconShown());
    NoteSaveResult(false);
    RetryTick();
    EXPECT_TRUE(TrayIconShown()) << "a modify finds it there";
    EXPECT_EQ(Fake.adds, 1) << "no second add";
    EXPECT_EQ(Fake.balloons, std::vector<std::string>{"Kivora: 保存できませんでした"});
    EXPECT_TRUE(Fake.retryKilled);

    // At exit before any retry has found it: deleted all the same.
    RemoveTrayIcon();
    Fake.addsToFail = 1;
    AddTrayIcon();
    ASSERT_TRUE(Fake.iconThere);
    RemoveTrayIcon();
    EXPECT_FALSE(Fake.iconThere) << "no ghost icon after exit";
}

TEST_F(TrayClockTest, ClockThatCannotStartIsToldOnceAndRetriedOnThePollingThreadsReminder)
{
    AddTrayIcon();
    ASSERT_TRUE(TrayIconShown());
    Fake.timersToFail = 3;

    StartClock();
    EXPECT_TRUE(ClockStartPending());
    ASSERT_EQ(Fake.balloons.size(), 1u);
    EXPECT_EQ(Fake.balloons[0], "Kivora: 起動時間を数えられません");

    // The polling thread reminds the interface thread about once a second.
    RunFlag = 1;
    HANDLE poller = CreateThread(nullptr, 0, KeyPollThread, nullptr, 0, nullptr);
    ASSERT_NE(poller, nullptr);
    MSG reminder;
    bool reminded = false;
    for (int waited = 0; waited < 3000 && !reminded; waited += 20) {
        reminded = PeekMessageA(&reminder, MainWindow, RetryClockMessage, RetryClockMessage, PM_REMOVE) != FALSE;
        Sleep(20);
    }
    RunFlag = 0;
    WaitForSingleObject(poller, INFINITE);
    CloseHandle(poller);
    EXPECT_TRUE(reminded);

    RetryClockStart();
    RetryClockStart();
    EXPECT_TRUE(ClockStartPending());
    EXPECT_EQ(Fake.balloons.size(), 1u) << "told once per run of failures";
    RetryClockStart();
    EXPECT_FALSE(ClockStartPending());

    // Stopped, nothing is pending; a reminder then does nothing.
    Fake.timersToFail = 1;
    StartClock();
    StopClock();
    EXPECT_FALSE(ClockStartPending());
    int calls = Fake.timerCalls;
    RetryClockStart();
    EXPECT_EQ(Fake.timerCalls, calls);
}

} // namespace
