// Entry point: one copy at a time, a hidden main window whose creation starts
// the key polling thread, the login dialog, then the message loop.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>

#include "app/app_icons.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "app/tray_icon.h"
#include "login/login_dialog.h"
#include "res/resource.h"
#include "store/user_data.h"
#include "sync/pc_sharing.h"
#include "win/app_text.h"
#include "win/main_window_frame.h"
#include "win/modal_ui.h"
#include "win/notices.h"
#include "win/screen_scale.h"

namespace {

constexpr int MainWindowWidth = 500;
constexpr int MainWindowHeight = 500;
constexpr char MainWindowClass[] = "PrtClass";

void RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = static_cast<HICON>(LoadImageA(nullptr, "icon6.ico", IMAGE_ICON, 48, 48, LR_LOADFROMFILE));
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    windowClass.lpszClassName = MainWindowClass;
    windowClass.hIconSm = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDI_KIVORA), IMAGE_ICON, 48, 48, LR_DEFAULTCOLOR));
    RegisterClassExA(&windowClass);
}

void FillTrayIconData(HINSTANCE instance)
{
    // The first, shortest form of the record: enough for icon, message and tip.
    TrayIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    TrayIconData.hWnd = MainWindow;
    TrayIconData.uID = 0;
    TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    TrayIconData.uCallbackMessage = TrayMessage;
    TrayIconData.hIcon = LoadTrayIcon(instance, IDI_KIVORA);
    lstrcpynA(TrayIconData.szTip, AppText::TrayTip, sizeof TrayIconData.szTip);
}

// Started again while running: the copy that runs shows its window (or the
// dialog it is in), so that starting Kivora always leads to it. It may take
// the foreground: this process has it, having just shown its box.
void ShowRunningCopy()
{
    HWND running = FindWindowA(MainWindowClass, nullptr);
    if (running == nullptr)
        return;
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    AllowSetForegroundWindow(process);
    PostMessageA(running, ShowYourselfMessage(), 0, 0);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // A command (/export, /heatmap) runs alone: no lock, no window.
    int argumentCount = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &argumentCount);
    int commandExit = 0;
    bool ranCommand = arguments != nullptr && RunCommandLine(argumentCount, arguments, commandExit);
    LocalFree(arguments);
    if (ranCommand)
        return commandExit;

    // The tab control of the statistics window needs its class registered.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    RegisterMainWindowClass(instance);
    NoteWindowIconFile();

    // Held until the process ends: it is what tells a second copy to stop.
    HANDLE instanceMutex = CreateMutexA(nullptr, FALSE, "MyInstance");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(nullptr, "Kivoraはすでに起動しています。", "二重起動", MB_OK);
        CloseHandle(instanceMutex);
        ShowRunningCopy();
        return 0;
    }

    // Each login and save hands the user's files on to the shared folder.
    FollowUserFiles(ShareUserFiles);

    // The creation handler starts the key polling thread.
    MainWindow = CreateWindowExA(0, MainWindowClass, AppText::AppName,
                                 WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                 CentredX(MainWindowWidth), CentredY(MainWindowHeight),
                                 MainWindowWidth, MainWindowHeight, nullptr, nullptr, instance, nullptr);
    if (MainWindow == nullptr) {
        // Without a main window nothing could be counted, shown or saved.
        MessageBoxA(nullptr, "ハンドルなし", AppText::ErrorCaption, MB_OK);
        return 1;
    }
    // The class's icons are the 48-pixel images; the window's own are those
    // of the sizes the title bar and the taskbar draw at its scale.
    SetWindowIcons(MainWindow, WindowDpi(MainWindow));
    // Whatever show state Windows asks for, the window starts hidden.
    ShowWindow(MainWindow, SW_MINIMIZE);
    ShowWindow(MainWindow, SW_HIDE);
    UpdateWindow(MainWindow);

    FillTrayIconData(instance);

    // Cancel posts the quit request, which ends the loop below at once.
    if (ShowLoginDialog(nullptr)) {
        CompleteFirstLogin();
        // A new user sees nothing but a small new icon, which Windows 10 and
        // 11 put out of sight: say where Kivora is and how it opens.
        if (RegisteredAtLastLogin())
            TellNotice(Notice::Registered);
    }

    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    if (accelerators == nullptr)
        ShowMessage(nullptr, "失敗です", AppText::ErrorCaption, MB_OK);

    MSG message = {};
    int exitCode = 0;
    for (;;) {
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            exitCode = static_cast<int>(message.wParam);
            break;
        }
        if (got == -1) {
            // The queue cannot be read: end, keeping what was counted.
            SaveUserData(SaveKind::Leaving);
            RemoveTrayIcon();
            exitCode = 2;
            break;
        }
        if (!TranslateAcceleratorA(MainWindow, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    // Let the polling thread finish its pass (at most one) before the run-time
    // library tears down what it uses, and the last save reach the shared folder.
    StopCounting();
    FinishSharing();
    return exitCode;
}
