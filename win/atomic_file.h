#pragma once
// Replacing a file in one step, so that a crash, a kill or a power cut at any
// moment leaves either the whole old file or the whole new one.
#include <windows.h>

#include <cstddef>
#include <initializer_list>
#include <string_view>

enum class WriteMode {
    Replace,     // an existing file is replaced
    CreateNew,   // an existing file is left alone and the write fails
};

// Writes bytes to path + ".tmp" beside the file, checks that all of them were
// written, flushes and closes it, then moves it over path in one rename. A
// sharing or access error, as antivirus and indexers cause, is retried a few
// times. On failure the temporary file is removed and path is untouched.
bool WriteFileAtomically(const char* path, const void* bytes, DWORD size, WriteMode mode);
// The same with the file's bytes in pieces, written one after another.
bool WriteFileAtomically(const char* path, std::initializer_list<std::string_view> pieces, WriteMode mode);

// Deals with the temporary file that an interrupted write may have left: it
// takes the place of a missing file at path when isComplete says it is whole,
// and is deleted otherwise.
void RecoverInterruptedWrite(const char* path, bool (*isComplete)(const unsigned char* bytes, std::size_t size));

// Opens a file, retrying briefly while another process holds it.
HANDLE OpenFileRetrying(const char* path, DWORD access, DWORD disposition);
