#pragma once
// What the test driver and the benchmark probe share: console programs that a
// harness starts in a Wine desktop (through explorer, which passes neither
// their exit code nor their arguments' quoting problems back) and reads line
// by line from a pipe.
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

// Written straight to the handle, one whole line per call, so that lines from
// two threads never mix in the pipe.
inline void Print(const std::string& line)
{
    std::string out = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
}

// The words after the command: flags ("--gone") and named values ("--wait 500").
struct Arguments {
    std::vector<std::wstring> words;

    bool Has(const wchar_t* name) const
    {
        for (const auto& word : words) {
            if (word == name)
                return true;
        }
        return false;
    }
    std::wstring Value(const wchar_t* name, const wchar_t* fallback = L"") const
    {
        for (size_t i = 0; i + 1 < words.size(); ++i) {
            if (words[i] == name)
                return words[i + 1];
        }
        return fallback;
    }
    long Number(const wchar_t* name, long fallback) const
    {
        std::wstring text = Value(name);
        return text.empty() ? fallback : std::wcstol(text.c_str(), nullptr, 0);
    }
};

// Converts a UTF-8 word of a served line.
inline std::wstring WideOfUtf8(const std::string& text)
{
    if (text.empty())
        return {};
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

// `program serve`: runs the commands that come on stdin, a line each (UTF-8,
// the words split by tabs), each answered as a whole run would be, down to its
// status line, until the input ends. Under Wine a program started in a desktop
// costs more than half a second; a test that asks a hundred questions keeps
// one running instead.
inline int ServeConsoleTool(int (*dispatch)(const std::wstring&, const Arguments&))
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    std::string pending;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(input, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        pending.append(chunk, got);
        for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            std::string line = pending.substr(0, end);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::vector<std::wstring> words;
            for (size_t start = 0;;) {
                size_t tab = line.find('\t', start);
                words.push_back(WideOfUtf8(line.substr(start, tab - start)));
                if (tab == std::string::npos)
                    break;
                start = tab + 1;
            }
            Arguments args;
            args.words.assign(words.begin() + 1, words.end());
            int status = dispatch(words[0], args);
            Print("status code=" + std::to_string(status));
        }
    }
    return 0;
}

// Runs `program command words...` and prints the status as the last line:
// explorer, which starts the program in the desktop, does not pass the exit
// code on.
inline int RunConsoleTool(int argc, wchar_t** argv, int (*dispatch)(const std::wstring&, const Arguments&))
{
    if (argc == 2 && std::wcscmp(argv[1], L"serve") == 0)
        return ServeConsoleTool(dispatch);
    Arguments args;
    for (int i = 2; i < argc; ++i)
        args.words.push_back(argv[i]);
    int status = dispatch(argc > 1 ? argv[1] : L"", args);
    Print("status code=" + std::to_string(status));
    return status;
}
