#pragma once
// Byte strings in the system ANSI code page (932, Shift-JIS). A double-byte
// character's trail byte may be 0x5C ('\\') or 0x7C ('|'), so every scan for a
// single-byte character has to step over whole characters.
#include <cstddef>

// True for a Shift-JIS lead byte (0x81-0x9F, 0xE0-0xFC).
bool IsLeadByte(unsigned char byte);

// Length in bytes of the character at text[0] (1 or 2; 1 at a lone lead byte
// before the terminator).
std::size_t CharLength(const char* text);

// Copies src into dst[capacity] if it fits with its NUL; otherwise leaves dst
// empty and returns false. Never writes past dst[capacity - 1].
bool CopyIfFits(char* dst, std::size_t capacity, const char* src);

// Appends src to the NUL-terminated dst[capacity] if the whole of it fits.
bool AppendIfFits(char* dst, std::size_t capacity, const char* src);

// Copies as much of src as fits into dst[capacity], cut at a character
// boundary so that no half of a double-byte character is left at the end.
void CopyTruncated(char* dst, std::size_t capacity, const char* src);

// Compares at most limit bytes, folding only single-byte ASCII letters, as the
// file system does with names in this code page.
bool EqualsIgnoringCase(const char* a, const char* b, std::size_t limit);

// True if text ends with suffix, compared without regard to ASCII case.
bool EndsWithIgnoringCase(const char* text, const char* suffix);
