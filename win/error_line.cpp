#include "win/error_line.h"

#include <windows.h>

#include <string>

#include "win/wide_text.h"

void WriteErrorLine(std::string_view text)
{
    const std::string line = std::string(text) + "\r\n";
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    bool attached = false;
    if ((error == nullptr || error == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        attached = true;
        error = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    if (error == nullptr || error == INVALID_HANDLE_VALUE)
        return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(error, &mode)) {
        // A console shows wide text whatever its code page.
        std::wstring wide = WideFromCodePage(line.c_str());
        WriteConsoleW(error, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    if (attached) {
        CloseHandle(error);
        FreeConsole();
    }
}
