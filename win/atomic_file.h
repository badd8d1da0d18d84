#pragma once
// Replacing a file in one step, so that a crash, a kill or a power cut at any
// moment leaves either the whole old file or the whole new one.
#include <windows.h>

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

enum class WriteMode {
    Replace,     // an existing file is replaced
    CreateNew,   // an existing file is left alone and the write fails
};

// Writes the bytes (in pieces, one after another) to a temporary file beside
// path, checks that all of them were written, flushes and closes it, then
// moves it over path in one rename. The temporary file is one this write
// creates: path + ".tmp", or path + ".1.tmp" and so on when that name is
// taken, so no other file is ever written over or removed. A sharing or
// access error, as antivirus and indexers cause, is retried a few times. On
// failure the temporary file is removed and path is untouched. Paths given
// as char are code page 932.
bool WriteFileAtomically(const std::wstring& path, std::initializer_list<std::string_view> pieces, WriteMode mode);
bool WriteFileAtomically(const char* path, std::initializer_list<std::string_view> pieces, WriteMode mode);
bool WriteFileAtomically(const char* path, const void* bytes, DWORD size, WriteMode mode);

// Deals with the temporary files that interrupted writes may have left beside
// a file in Kivora's own data folder (path + ".tmp", ".1.tmp" ...): the first
// takes the place of a missing file at path when isComplete (if given) says
// it is whole; the others are deleted. Only at a login, when nothing of that
// user's is being written.
void RecoverInterruptedWrite(const char* path, bool (*isComplete)(const unsigned char* bytes, std::size_t size));

// Opens a file, retrying briefly while another process holds it.
HANDLE OpenFileRetrying(const wchar_t* path, DWORD access, DWORD disposition, DWORD share = 0);
HANDLE OpenFileRetrying(const char* path, DWORD access, DWORD disposition, DWORD share = 0);
