#pragma once
// The all-time counts of every key, data\<user>.keys.csv beside the data
// file: what another PC or a spreadsheet reads. ASCII, CRLF, the header
// "key,count", then a line a key of KeyTable, in its order:
//
//   key,count
//   a,1520
//   ...
//   space,9120
//   ...
//   shiftcaret,3
//
// The data file's keys are written as the data file has them; read back,
// only the other keys are taken: the data file stays the truth for its own.
#include <cstddef>
#include <string>
#include <string_view>

#include "capture/other_key_table.h"
#include "history/history_file.h"

// The largest file that is read; a larger one is not a keys file.
constexpr std::size_t LargestKeysFile = 65536;

std::string FormatKeysFile(const HistoryCounts& allTime);

enum class KeysText {
    Whole,     // every line read
    Partly,    // some line could not be: an unknown key, a count that is not one, a key twice
    Foreign,   // not a keys file: another first line, nothing at all, or too large
};

// The other keys' counts of a file's text, 0 for a key without a line. A
// byte-order mark, LF line ends and quoted fields, as a spreadsheet saves
// them, are read as the same; blank lines are passed over.
KeysText ReadKeysFile(std::string_view text, OtherCounts& others);

// True when bytes are a whole file as FormatKeysFile writes it: a line for
// every key, each ended. Tells a finished temporary file of an interrupted
// save from a torn one.
bool IsCompleteKeysImage(const unsigned char* bytes, std::size_t size);
