#pragma once
// Between the program's code page 932 texts and the wide texts of the
// system calls that take any name (the command line, the Save As dialog);
// and UTF-8, in which the programs' names are kept.
#include <string>
#include <string_view>

// A code page 932 text as UTF-16; every such text has one.
std::wstring WideFromCodePage(const char* text);

// A wide text in code page 932, refused (false, narrow empty) when it holds a
// character that the code page cannot hold: never bent into another name.
bool CodePageFromWide(const wchar_t* wide, std::string& narrow);

// Between UTF-16 and UTF-8; an ill-formed text gives the replacement character.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view wide);
