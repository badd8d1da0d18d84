#include "store/user_record.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>

#include "keys/key_table.h"
#include "win/decimal_text.h"

namespace {

int32_t FieldIndex(int field) { return field - 1; }

bool IsBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// atoi over a window of eight characters that need not be terminated.
int32_t ReadDecimal(const unsigned char* chars)
{
    int at = 0;
    while (at < RecordDigits && IsBlank(chars[at]))
        ++at;
    bool negative = false;
    if (at < RecordDigits && (chars[at] == '+' || chars[at] == '-')) {
        negative = chars[at] == '-';
        ++at;
    }
    int32_t value = 0;   // at most eight digits: no overflow
    while (at < RecordDigits && chars[at] >= '0' && chars[at] <= '9')
        value = value * 10 + (chars[at++] - '0');
    return negative ? -value : value;
}

} // namespace

std::array<CountedValue*, StoredValueCount> StoredFields(CounterTable& table)
{
    std::array<CountedValue*, StoredValueCount> fields{};
    fields[FieldIndex(FieldClockSeconds)] = &table.ClockSeconds;
    fields[FieldIndex(FieldClockMinutes)] = &table.ClockMinutes;
    fields[FieldIndex(FieldClockHours)] = &table.ClockHours;
    fields[FieldIndex(FieldTotalStrokes)] = &table.TotalStrokes;
    fields[FieldIndex(FieldStrokesPerHour)] = &table.StrokesPerHour;
    for (const KeyEntry& key : KeyTable) {
        if (key.dataField != NoDataField)
            fields[FieldIndex(key.dataField)] = &table.Counter(key).count;
    }
    return fields;
}

StoredValues CollectStoredValues(CounterTable& table)
{
    StoredValues values{};
    auto fields = StoredFields(table);
    for (int i = 0; i < StoredValueCount; ++i)
        values[i] = fields[i]->value.load();
    return values;
}

void ApplyStoredValues(CounterTable& table, const StoredValues& values)
{
    auto fields = StoredFields(table);
    for (int i = 0; i < StoredValueCount; ++i)
        fields[i]->value.store(values[i]);
}

void FormatRecordTexts(const StoredValues& values, RecordImage& image)
{
    for (int i = 0; i < StoredValueCount; ++i) {
        int32_t value = values[i] < 0 ? 0 : values[i] > LargestRecordValue ? LargestRecordValue : values[i];
        char record[DecimalTextSize];
        WriteDecimal(record, value, RecordDigits);
        std::memcpy(image.data() + i * RecordSize, record, RecordSize);   // eight digits and the NUL
    }
}

StoredValues DecodeRecords(const unsigned char* bytes, std::size_t size)
{
    StoredValues values{};
    for (int i = 0; i < StoredValueCount; ++i) {
        std::size_t offset = static_cast<std::size_t>(i) * RecordSize;
        if (offset + RecordDigits > size)
            break;
        int32_t value = ReadDecimal(bytes + offset);
        values[i] = value < 0 ? 0 : value;
    }
    return values;
}

void NormaliseLoadedValues(StoredValues& values)
{
    int32_t& seconds = values[FieldIndex(FieldClockSeconds)];
    int32_t& minutes = values[FieldIndex(FieldClockMinutes)];
    int32_t& hours = values[FieldIndex(FieldClockHours)];
    // Values come from eight digits, so these sums cannot overflow.
    if (seconds >= 60) {
        minutes += seconds / 60;
        seconds %= 60;
    }
    if (minutes > 60) {
        hours += minutes / 60;
        minutes %= 60;
    }
}

bool IsCompleteRecordImage(const unsigned char* bytes, std::size_t size)
{
    if (size != static_cast<std::size_t>(UserFileSize))
        return false;
    for (int i = 0; i < StoredValueCount; ++i) {
        const unsigned char* record = bytes + i * RecordSize;
        for (int d = 0; d < RecordDigits; ++d) {
            if (record[d] < '0' || record[d] > '9')
                return false;
        }
        if (record[RecordDigits] != '\0')
            return false;
    }
    return true;
}

int64_t RunningSeconds(const StoredValues& values)
{
    auto field = [&](int number) { return static_cast<int64_t>(std::max(values[number - 1], 0)); };
    return field(FieldClockHours) * 3600 + field(FieldClockMinutes) * 60 + field(FieldClockSeconds);
}

HistoryCounts SnapshotOf(const StoredValues& values, const OtherCounts& others)
{
    HistoryCounts snapshot;
    snapshot.seconds = RunningSeconds(values);
    for (int key = 0; key < DataFileKeyCount; ++key)
        snapshot.keys[key] = std::max(values[FieldIndex(KeyTable[key].dataField)], 0);
    for (int slot = 0; slot < OtherKeyCount; ++slot)
        snapshot.keys[DataFileKeyCount + slot] = std::max<int64_t>(others[slot], 0);
    return snapshot;
}

namespace {

// The clock looks each second on the interface thread; the polling thread
// takes a snapshot after a registration.
struct {
    std::mutex lock;
    TypingTime time;
} Typing;

} // namespace

void StartTypingTime(const HistoryCounts& loaded, const ClockMinute& now)
{
    std::lock_guard<std::mutex> guard(Typing.lock);
    Typing.time.Start(loaded.AllStrokes(), now);
}

std::atomic<bool> TypingTimeLooked{true};

void LookAtTypingTime(int64_t allStrokes, const ClockMinute& now)
{
    if (!TypingTimeLooked.load(std::memory_order_relaxed))
        return;
    std::lock_guard<std::mutex> guard(Typing.lock);
    Typing.time.Look(allStrokes, now);
}

void RebaseTypingTime(const HistoryCounts& allTime)
{
    std::lock_guard<std::mutex> guard(Typing.lock);
    Typing.time.Rebase(allTime.AllStrokes());
}

HistoryCounts RunningSnapshot(const StoredValues& values, const OtherCounts& others)
{
    HistoryCounts snapshot = SnapshotOf(values, others);
    std::lock_guard<std::mutex> guard(Typing.lock);
    Typing.time.Fill(snapshot);
    return snapshot;
}

HistoryCounts AllTimeCounts() { return RunningSnapshot(CollectStoredValues(Counters), OtherKeys.Counts()); }
