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

// Runs `program command words...` and prints the status as the last line:
// explorer, which starts the program in the desktop, does not pass the exit
// code on.
inline int RunConsoleTool(int argc, wchar_t** argv, int (*dispatch)(const std::wstring&, const Arguments&))
{
    Arguments args;
    for (int i = 2; i < argc; ++i)
        args.words.push_back(argv[i]);
    int status = dispatch(argc > 1 ? argv[1] : L"", args);
    Print("status code=" + std::to_string(status));
    return status;
}
