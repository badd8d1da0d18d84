#include "win/atomic_file.h"

#include <vector>

#include "win/ansi_text.h"

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

// The temporary file's name: path + ".tmp" (never "*.dat", so never listed).
bool TemporaryPathFor(const char* path, char (&temporary)[MAX_PATH + 8])
{
    return CopyIfFits(temporary, sizeof temporary, path) && AppendIfFits(temporary, sizeof temporary, ".tmp");
}

} // namespace

HANDLE OpenFileRetrying(const char* path, DWORD access, DWORD disposition)
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    Retrying([&] {
        handle = CreateFileA(path, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        return handle != INVALID_HANDLE_VALUE;
    });
    return handle;
}

bool WriteFileAtomically(const char* path, const void* bytes, DWORD size, WriteMode mode)
{
    return WriteFileAtomically(path, {std::string_view(static_cast<const char*>(bytes), size)}, mode);
}

bool WriteFileAtomically(const char* path, std::initializer_list<std::string_view> pieces, WriteMode mode)
{
    char temporary[MAX_PATH + 8];
    if (!TemporaryPathFor(path, temporary))
        return false;
    // Windows refuses to rename over a read-only file, Wine does not: refuse
    // it here on both, so that a read-only file is never replaced.
    DWORD attributes = GetFileAttributesA(path);
    if (mode == WriteMode::Replace && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }

    FileHandle file(OpenFileRetrying(temporary, GENERIC_WRITE, CREATE_ALWAYS));
    if (!file.IsOpen())
        return false;
    bool written = true;
    for (std::string_view piece : pieces)
        written = written && WriteAll(file.Get(), piece.data(), static_cast<DWORD>(piece.size()));
    written = written && FlushFileBuffers(file.Get());
    if (!file.Close() || !written) {
        DeleteFileA(temporary);
        return false;
    }

    DWORD flags = MOVEFILE_WRITE_THROUGH | (mode == WriteMode::Replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!Retrying([&] { return MoveFileExA(temporary, path, flags) != FALSE; })) {
        DWORD error = GetLastError();
        DeleteFileA(temporary);
        SetLastError(error);
        return false;
    }
    return true;
}

void RecoverInterruptedWrite(const char* path, bool (*isComplete)(const unsigned char* bytes, std::size_t size))
{
    char temporary[MAX_PATH + 8];
    if (!TemporaryPathFor(path, temporary) || GetFileAttributesA(temporary) == INVALID_FILE_ATTRIBUTES)
        return;

    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        bool complete = false;
        {
            FileHandle file(OpenFileRetrying(temporary, GENERIC_READ, OPEN_EXISTING));
            LARGE_INTEGER size;
            if (file.IsOpen() && GetFileSizeEx(file.Get(), &size) && size.QuadPart <= 65536) {
                DWORD wanted = static_cast<DWORD>(size.QuadPart);
                std::vector<unsigned char> bytes(wanted);
                DWORD read = 0;
                complete = ReadFile(file.Get(), bytes.data(), wanted, &read, nullptr) && read == wanted &&
                           isComplete(bytes.data(), wanted);
            }
        }
        if (complete && MoveFileExA(temporary, path, MOVEFILE_WRITE_THROUGH))
            return;
    }
    DeleteFileA(temporary);
}
