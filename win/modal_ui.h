#pragma once
// Modal UI on the interface thread. Every dialog box and message box that the
// interface thread shows runs inside a ModalScope: while one is up, the main
// window runs no command, and a click on the icon brings it to the front.
#include <windows.h>

class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
};
bool ModalUiUp();
void BringModalUiToFront();
int ShowMessage(HWND owner, const char* text, const char* caption, UINT type);
INT_PTR RunDialog(HWND owner, int templateId, DLGPROC procedure, LPARAM parameter = 0);
