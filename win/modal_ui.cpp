// Modal UI on the interface thread. A dialog box, a message box or a file
// dialog runs a message loop of its own, and inside it the main window still
// receives the icon's clicks, timers and posted commands. Every such loop is
// entered through this file, so that the main window knows when one is up and
// runs no command nested in it.
#include <windows.h>

#include <cstring>

#include "win/main_window_frame.h"
#include "win/modal_ui.h"

namespace {

int ModalDepth = 0;

struct FrontSearch {
    HWND found = nullptr;
};

// The modal window that has the user's attention is the one that is still
// enabled: each modal loop disables its owner.
BOOL CALLBACK FindEnabledDialog(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<FrontSearch*>(context);
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (window != MainWindow && std::strcmp(className, "#32770") == 0 && IsWindowVisible(window) &&
        IsWindowEnabled(window)) {
        search.found = window;
        return FALSE;   // the first in z-order
    }
    return TRUE;
}

} // namespace

ModalScope::ModalScope() { ++ModalDepth; }

ModalScope::~ModalScope() { --ModalDepth; }

bool ModalUiUp() { return ModalDepth > 0; }

void BringModalUiToFront()
{
    FrontSearch search;
    EnumThreadWindows(GetCurrentThreadId(), FindEnabledDialog, reinterpret_cast<LPARAM>(&search));
    HWND front = search.found != nullptr ? search.found : GetLastActivePopup(MainWindow);
    if (front == nullptr || front == MainWindow)
        return;
    SetForegroundWindow(front);
    FlashWindow(front, TRUE);
}

int ShowMessage(HWND owner, const char* text, const char* caption, UINT type)
{
    ModalScope modal;
    return MessageBoxA(owner, text, caption, type);
}

INT_PTR RunDialog(HWND owner, int templateId, DLGPROC procedure, LPARAM parameter)
{
    ModalScope modal;
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner, procedure, parameter);
}
