#include "win/atomic_file.h"

#include <vector>

#include "win/wide_text.h"

namespace {

// Antivirus scanners and indexers open files briefly after every write.
constexpr DWORD RetryDelaysMs[] = {0, 1, 10, 20, 40};

bool IsTransientError(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

template <typename Attempt>
bool Retrying(Attempt attempt)
{
    for (DWORD delay : RetryDelaysMs) {
        Sleep(delay);
        if (attempt())
            return true;
        if (!IsTransientError(GetLastError()))
            return false;
    }
    return false;
}

bool WriteAll(HANDLE file, const void* bytes, DWORD size)
{
    DWORD written = 0;
    return WriteFile(file, bytes, size, &written, nullptr) && written == size;
}

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    HANDLE Get() const { return handle_; }
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Close()
    {
        if (!IsOpen())
            return true;
        bool closed = CloseHandle(handle_) != FALSE;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

// How many names a temporary file may try before the write gives up.
constexpr int TemporaryNameTries = 100;

std::wstring TemporaryName(const std::wstring& path, int attempt)
{
    // The digits by hand: std::to_wstring would bring in a whole wide printf.
    std::wstring number;
    for (; attempt > 0; attempt /= 10)
        number.insert(number.begin(), static_cast<wchar_t>(L'0' + attempt % 10));
    return number.empty() ? path + L".tmp" : path + L"." + number + L".tmp";
}

// A temporary file that this write creates, never one that was there.
HANDLE CreateTemporaryBeside(const std::wstring& path, std::wstring& temporary)
{
    for (int attempt = 0; attempt < TemporaryNameTries; ++attempt) {
        temporary = TemporaryName(path, attempt);
        HANDLE handle = OpenFileRetrying(temporary.c_str(), GENERIC_WRITE, CREATE_NEW);
        if (handle != INVALID_HANDLE_VALUE || (GetLastError() != ERROR_FILE_EXISTS &&
                                               GetLastError() != ERROR_ALREADY_EXISTS))
            return handle;
    }
    return INVALID_HANDLE_VALUE;
}

} // namespace

HANDLE OpenFileRetrying(const wchar_t* path, DWORD access, DWORD disposition, DWORD share)
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    Retrying([&] {
        handle = CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        return handle != INVALID_HANDLE_VALUE;
    });
    return handle;
}

HANDLE OpenFileRetrying(const char* path, DWORD access, DWORD disposition, DWORD share)
{
    return OpenFileRetrying(WideFromCodePage(path).c_str(), access, disposition, share);
}

bool WriteFileAtomically(const char* path, const void* bytes, DWORD size, WriteMode mode)
{
    return WriteFileAtomically(path, {std::string_view(static_cast<const char*>(bytes), size)}, mode);
}

bool WriteFileAtomically(const char* path, std::initializer_list<std::string_view> pieces, WriteMode mode)
{
    std::wstring wide = WideFromCodePage(path);
    return !wide.empty() && WriteFileAtomically(wide, pieces, mode);
}

bool WriteFileAtomically(const std::wstring& path, std::initializer_list<std::string_view> pieces, WriteMode mode)
{
    // Windows refuses to rename over a read-only file, Wine does not: refuse
    // it here on both, so that a read-only file is never replaced.
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (mode == WriteMode::Replace && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }

    std::wstring temporary;
    FileHandle file(CreateTemporaryBeside(path, temporary));
    if (!file.IsOpen())
        return false;
    bool written = true;
    for (std::string_view piece : pieces)
        written = written && WriteAll(file.Get(), piece.data(), static_cast<DWORD>(piece.size()));
    written = written && FlushFileBuffers(file.Get());
    if (!file.Close() || !written) {
        DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        SetLastError(error);
        return false;
    }

    DWORD flags = MOVEFILE_WRITE_THROUGH | (mode == WriteMode::Replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!Retrying([&] { return MoveFileExW(temporary.c_str(), path.c_str(), flags) != FALSE; })) {
        DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        SetLastError(error);
        return false;
    }
    return true;
}

void RecoverInterruptedWrite(const char* path, bool (*isComplete)(const unsigned char* bytes, std::size_t size))
{
    std::wstring target = WideFromCodePage(path);
    if (target.empty())
        return;
    std::wstring temporary = TemporaryName(target, 0);
    if (isComplete != nullptr && GetFileAttributesW(temporary.c_str()) != INVALID_FILE_ATTRIBUTES &&
        GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
        bool complete = false;
        {
            FileHandle file(OpenFileRetrying(temporary.c_str(), GENERIC_READ, OPEN_EXISTING));
            LARGE_INTEGER size;
            if (file.IsOpen() && GetFileSizeEx(file.Get(), &size) && size.QuadPart <= 65536) {
                DWORD wanted = static_cast<DWORD>(size.QuadPart);
                std::vector<unsigned char> bytes(wanted);
                DWORD read = 0;
                complete = ReadFile(file.Get(), bytes.data(), wanted, &read, nullptr) && read == wanted &&
                           isComplete(bytes.data(), wanted);
            }
        }
        if (complete)
            MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    for (int attempt = 0; attempt < TemporaryNameTries; ++attempt)
        DeleteFileW(TemporaryName(target, attempt).c_str());
}
