#include "programs/foreground_windows.h"

#include <windows.h>

#include "options/settings_file.h"
#include "win/wide_text.h"

uint32_t WindowsForeground::ForegroundProcess()
{
    HWND window = GetForegroundWindow();
    DWORD process = 0;
    if (window != nullptr)
        GetWindowThreadProcessId(window, &process);
    return process;
}

bool WindowsForeground::ExecutableName(uint32_t process, std::string& name)
{
    // The limited right is granted for processes of other users and of
    // higher integrity too, where reading their memory is not.
    HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (handle == nullptr)
        return false;
    std::wstring path(32768, L'\0');   // the longest path Windows has
    DWORD size = static_cast<DWORD>(path.size());
    BOOL named = QueryFullProcessImageNameW(handle, 0, path.data(), &size);
    CloseHandle(handle);
    if (!named)
        return false;
    path.resize(size);
    path.erase(0, path.find_last_of(L"\\/") + 1);
    if (path.empty())
        return false;
    // Windows' own case folding: file names match without regard to it.
    CharLowerBuffW(path.data(), static_cast<DWORD>(path.size()));
    name = Utf8FromWide(path);
    return !name.empty();
}

namespace {

// The polling thread's alone.
WindowsForeground Foreground;
ForegroundProgram ProgramOfStrokes(GetCurrentProcessId());

} // namespace

void GiveStrokesToForeground(int strokes)
{
    if (RecordPrograms.load(std::memory_order_relaxed))
        GiveStrokes(strokes, ProgramOfStrokes, Foreground);
}
