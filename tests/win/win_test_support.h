#pragma once
// Helpers for the tests that run against the real Windows API under Wine:
// a fresh folder per test, whole-file reads and writes, a hidden main window,
// shortcuts made without the product's code, and a catcher that records and
// closes the message boxes the code under test shows.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace wintest {

inline std::string Join(const std::string& folder, const std::string& name) { return folder + "\\" + name; }

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::optional<std::string> ReadBytes(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    bool ok = bytes.empty() || (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
                                read == bytes.size());
    CloseHandle(file);
    return ok ? std::optional<std::string>(bytes) : std::nullopt;
}

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) << path;
    ASSERT_EQ(written, bytes.size());
    CloseHandle(file);
}

// Names in a folder, in the order the search returns them, without "." and "..".
inline std::vector<std::string> ListFolder(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Join(folder, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

inline void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Join(folder, "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = Join(folder, name);
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// A new, empty folder under the temporary folder, removed with everything in
// it at the end of the test.
class TempFolder {
public:
    TempFolder()
    {
        static std::atomic<int> serial{0};
        char base[MAX_PATH];
        GetTempPathA(sizeof base, base);
        std::string root = base;
        if (!root.empty() && root.back() == '\\')
            root.pop_back();
        do {
            path_ = Join(root, "kivora-" + std::to_string(GetCurrentProcessId()) + "-" +
                                   std::to_string(GetTickCount()) + "-" + std::to_string(serial++));
        } while (!CreateDirectoryA(path_.c_str(), nullptr));
    }
    ~TempFolder() { RemoveTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return Join(path_, name); }

private:
    std::string path_;
};

// A plain hidden top-level window standing in for the main window.
class HiddenWindow {
public:
    HiddenWindow()
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "KivoraTestWindow";
        RegisterClassA(&windowClass);   // fails harmlessly when already registered
        handle_ = CreateWindowExA(0, "KivoraTestWindow", "Kivora", WS_OVERLAPPEDWINDOW, 0, 0, 500, 500, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~HiddenWindow() { DestroyWindow(handle_); }
    HiddenWindow(const HiddenWindow&) = delete;
    HiddenWindow& operator=(const HiddenWindow&) = delete;

    HWND Handle() const { return handle_; }
    std::string Title() const
    {
        char title[512] = "";
        GetWindowTextA(handle_, title, sizeof title);
        return title;
    }

private:
    HWND handle_;
};

struct ShownMessage {
    std::string caption;
    std::string text;
    HWND owner;
    std::string continueButton;   // the label of a button IDCONTINUE, if there is one
};

// Records every message box shown on this thread while it lives and answers
// it at once (OK, unless the test says otherwise), so that code which asks
// the user something cannot block a test.
// Under Xvfb with no window manager each box still costs about 2 s: Wine waits
// that long for a manager to withdraw the hidden window.
class MessageBoxCatcher {
public:
    MessageBoxCatcher()
    {
        current_ = this;
        hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    }
    ~MessageBoxCatcher()
    {
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    bool Installed() const { return hook_ != nullptr; }
    const std::vector<ShownMessage>& Shown() const { return shown_; }
    void Clear() { shown_.clear(); }

    // Called while each box is up (inside its message loop); returns the id of
    // the button to press.
    using Answer = std::function<int(const ShownMessage&)>;
    void AnswerWith(Answer answer) { answer_ = std::move(answer); }

    // A dialog of the product with this title is no message box: left alone.
    void LetThrough(std::string title) { letThrough_.push_back(std::move(title)); }

private:
    static BOOL CALLBACK CollectText(HWND child, LPARAM context)
    {
        char className[32] = "";
        char text[1024] = "";
        GetClassNameA(child, className, sizeof className);
        GetWindowTextA(child, text, sizeof text);
        // The box's text is its one static control with a text (the icon has none).
        auto& out = *reinterpret_cast<std::string*>(context);
        if (lstrcmpiA(className, "Static") == 0 && text[0] != '\0' && out.empty())
            out = text;
        return TRUE;
    }

    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_ACTIVATE && current_ != nullptr) {
            HWND box = reinterpret_cast<HWND>(wParam);
            char className[32] = "";
            GetClassNameA(box, className, sizeof className);
            auto& seen = current_->closed_;
            if (std::strcmp(className, "#32770") == 0 && std::find(seen.begin(), seen.end(), box) == seen.end()) {
                seen.push_back(box);
                ShownMessage message;
                char caption[512] = "";
                GetWindowTextA(box, caption, sizeof caption);
                message.caption = caption;
                const auto& through = current_->letThrough_;
                if (std::find(through.begin(), through.end(), message.caption) != through.end())
                    return CallNextHookEx(nullptr, code, wParam, lParam);
                EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&message.text));
                message.owner = GetWindow(box, GW_OWNER);
                char label[128] = "";
                if (GetDlgItemTextA(box, IDCONTINUE, label, sizeof label) > 0)
                    message.continueButton = label;
                current_->shown_.push_back(message);
                int button = current_->answer_ ? current_->answer_(message) : IDOK;
                PostMessageA(box, WM_COMMAND, button, 0);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline thread_local MessageBoxCatcher* current_ = nullptr;
    HHOOK hook_ = nullptr;
    std::vector<ShownMessage> shown_;
    std::vector<HWND> closed_;
    Answer answer_;
    std::vector<std::string> letThrough_;
};

// Drives the product's modal dialogs from the test's own thread: a timer
// that the dialogs' modal loops dispatch calls step every 50 ms until it
// returns false or the script ends.
class DialogScript {
public:
    using Step = std::function<bool()>;   // false: done
    explicit DialogScript(Step step) : step_(std::move(step))
    {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 50, Tick);
    }
    ~DialogScript()
    {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    // A visible top-level window of this thread with the given title.
    static HWND Find(const char* title)
    {
        struct Search {
            const char* title;
            HWND found;
        } search = {title, nullptr};
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM context) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(context);
                char text[256] = "";
                GetWindowTextA(window, text, sizeof text);
                if (IsWindowVisible(window) && std::strcmp(text, s.title) == 0) {
                    s.found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (current_ != nullptr && current_->step_ && !current_->step_())
            current_->step_ = nullptr;
    }

    static inline DialogScript* current_ = nullptr;
    Step step_;
    UINT_PTR timer_ = 0;
};

// A file beside the test program (the build tree's Kivora.exe is "..\\Kivora.exe").
inline std::string Beside(const char* name)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

// A code page 932 text as UTF-16.
inline std::wstring WideOf(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), text.size() + 1)));
    return wide;
}

// Runs the built Kivora.exe with arguments (wide, so that any file name can be
// given), its current folder folder, its standard error to errorOutput when
// one is given; returns its exit code, or -1 when it could not be run or did
// not end.
inline int RunKivora(const std::string& folder, const std::wstring& arguments, HANDLE errorOutput = nullptr)
{
    std::wstring command = L"\"" + WideOf(Beside("..\\Kivora.exe")) + L"\" ";
    command += arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (errorOutput != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdError = errorOutput;
    }
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, errorOutput != nullptr, 0, nullptr,
                        WideOf(folder).c_str(), &startup, &process))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

inline int RunKivora(const std::string& folder, const std::string& arguments)
{
    return RunKivora(folder, WideOf(arguments));
}

class ComScope {
public:
    ComScope() : result_(CoInitialize(nullptr)) {}
    ~ComScope()
    {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

// A shortcut written straight through the shell link object, without the
// product's code: the input of the code that reads shortcuts.
inline bool MakeShortcut(const std::string& shortcut, const std::string& target, const std::string& workingFolder = "")
{
    ComScope com;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(target.c_str());
    if (!workingFolder.empty())
        link->SetWorkingDirectory(workingFolder.c_str());
    IPersistFile* file = nullptr;
    bool saved = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        WCHAR wide[MAX_PATH];
        saved = MultiByteToWideChar(CP_ACP, 0, shortcut.c_str(), -1, wide, MAX_PATH) != 0 &&
                SUCCEEDED(file->Save(wide, TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

struct ShortcutFields {
    std::string target;
    std::string workingFolder;
};

// The target and working folder of a shortcut, read back through the shell
// link object.
inline std::optional<ShortcutFields> ReadShortcut(const std::string& shortcut)
{
    ComScope com;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return std::nullopt;
    std::optional<ShortcutFields> fields;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        WCHAR wide[MAX_PATH];
        char target[MAX_PATH] = "";
        char folder[MAX_PATH] = "";
        if (MultiByteToWideChar(CP_ACP, 0, shortcut.c_str(), -1, wide, MAX_PATH) != 0 &&
            SUCCEEDED(file->Load(wide, STGM_READ)) &&
            SUCCEEDED(link->GetPath(target, sizeof target, nullptr, SLGP_RAWPATH)) &&
            SUCCEEDED(link->GetWorkingDirectory(folder, sizeof folder)))
            fields = ShortcutFields{target, folder};
        file->Release();
    }
    link->Release();
    return fields;
}

inline std::string StartupFolder()
{
    char folder[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

// The prefix's Startup folder is shared by every test process: one test at a
// time may touch its "Kivora.lnk", and whatever was there is put back.
class StartupShortcutGuard {
public:
    StartupShortcutGuard()
        : mutex_(CreateMutexA(nullptr, FALSE, "KivoraWinTestsStartupShortcut")),
          shortcut_(Join(StartupFolder(), "Kivora.lnk")), backup_(shortcut_ + ".kivora-test-backup")
    {
        WaitForSingleObject(mutex_, INFINITE);
        CreateDirectoryA(StartupFolder().c_str(), nullptr);
        hadShortcut_ = MoveFileExA(shortcut_.c_str(), backup_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    ~StartupShortcutGuard()
    {
        DeleteFileA(shortcut_.c_str());
        if (hadShortcut_)
            MoveFileExA(backup_.c_str(), shortcut_.c_str(), MOVEFILE_REPLACE_EXISTING);
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }
    StartupShortcutGuard(const StartupShortcutGuard&) = delete;
    StartupShortcutGuard& operator=(const StartupShortcutGuard&) = delete;

    const std::string& Shortcut() const { return shortcut_; }

private:
    HANDLE mutex_;
    std::string shortcut_;
    std::string backup_;
    bool hadShortcut_ = false;
};

class CurrentDirectoryScope {
public:
    explicit CurrentDirectoryScope(const std::string& folder)
    {
        GetCurrentDirectoryA(sizeof saved_, saved_);
        SetCurrentDirectoryA(folder.c_str());
    }
    ~CurrentDirectoryScope() { SetCurrentDirectoryA(saved_); }
    CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
    CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

private:
    char saved_[MAX_PATH] = "";
};

} // namespace wintest
