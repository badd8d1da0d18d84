#pragma once
// The user data file: 82 records of nine bytes, each the value in eight
// zero-padded decimal digits ("%08d") and a NUL; no header, nothing else.
//
//   fields  1-26  lowercase a-z          field 53  seconds     field 56  total
//   fields 27-52  uppercase A-Z          field 54  minutes     field 57  strokes per hour
//   fields 58-67  digits 0-9             field 55  hours
//   fields 68-82  right, left, up, down, then the punctuation keys by code:
//                 OEM_1 OEM_PLUS OEM_3 OEM_5 OEM_MINUS OEM_PERIOD OEM_COMMA
//                 OEM_2 OEM_4 OEM_6 OEM_7
//
// A field is bound to its key, not to the slot the key has on its page.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "capture/counter_table.h"
#include "capture/other_key_table.h"
#include "history/history_file.h"
#include "history/typing_time.h"

constexpr int StoredValueCount = 82;
constexpr int RecordDigits = 8;
constexpr int RecordSize = 9;
constexpr int UserFileSize = StoredValueCount * RecordSize;   // 738
constexpr uint32_t LargestUserFile = 65535;                   // 65,536 bytes or more are refused
constexpr int32_t LargestRecordValue = 99'999'999;

// The 1-based field numbers of the values that are not key counts.
constexpr int FieldClockSeconds = 53;
constexpr int FieldClockMinutes = 54;
constexpr int FieldClockHours = 55;
constexpr int FieldTotalStrokes = 56;
constexpr int FieldStrokesPerHour = 57;

using StoredValues = std::array<int32_t, StoredValueCount>;   // in file order
using RecordImage = std::array<char, UserFileSize>;

// The counted value behind each field, in file order.
std::array<CountedValue*, StoredValueCount> StoredFields(CounterTable& table);

StoredValues CollectStoredValues(CounterTable& table);
// Sets the 82 values; texts are left to RefreshCountTexts.
void ApplyStoredValues(CounterTable& table, const StoredValues& values);

// The record text of every field: "%08d" of its value. A value that eight
// digits cannot hold is written as 99999999 (and a negative one as 0), so
// that every record keeps its nine bytes and every later field its offset.
void FormatRecordTexts(const StoredValues& values, RecordImage& image);

// Reads the 82 fields from a file's bytes. Each field is the decimal number
// at the start of its eight characters, read as atoi reads (leading blanks,
// a sign, digits up to the first non-digit; no digits give 0). A field whose
// eight characters the file does not wholly hold, and a negative field,
// yield 0. Bytes after offset 736 are never looked at.
StoredValues DecodeRecords(const unsigned char* bytes, std::size_t size);

// Brings loaded clock values into range: seconds of 60 or more carry into the
// minutes, minutes above 60 into the hours. Minutes of exactly 60 are what the
// save at a full hour writes; they stay, and the next tick rolls them over.
void NormaliseLoadedValues(StoredValues& values);

// The all-time running seconds of a data file: hours, minutes and seconds.
int64_t RunningSeconds(const StoredValues& values);
// Every key's all-time count and the running seconds, as the history counts
// them: the 77 keys and the seconds of a data file's values, and the other
// keys' counts.
HistoryCounts SnapshotOf(const StoredValues& values, const OtherCounts& others = {});

// When the logged-in user's strokes fell, from the login or registration on
// (history/typing_time.h): the clock looks each second; a reset, or counts
// taken late from the keys file, move the total without a stroke.
void StartTypingTime(const HistoryCounts& loaded, const ClockMinute& now);
void LookAtTypingTime(int64_t allStrokes, const ClockMinute& now);
// Cleared only for a benchmark's comparison: the clock then never looks, and
// the minutes and hours stay zero.
extern std::atomic<bool> TypingTimeLooked;
void RebaseTypingTime(const HistoryCounts& allTime);
// The snapshot of the logged-in user's counts: SnapshotOf with the minutes
// and hours since the login.
HistoryCounts RunningSnapshot(const StoredValues& values, const OtherCounts& others);
// The same of the counts in memory now: the counter table's and the other keys'.
HistoryCounts AllTimeCounts();

// True when bytes are exactly a whole file as the writer makes it: 82 records
// of eight digits and a NUL. Used to tell a finished temporary file of an
// interrupted save from a torn one.
bool IsCompleteRecordImage(const unsigned char* bytes, std::size_t size);
