// Decoding any bytes as a user data file: never reads out of bounds, and what
// it yields is what a count may be.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "store/user_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StoredValues values = DecodeRecords(data, size);
    NormaliseLoadedValues(values);
    for (int i = 0; i < StoredValueCount; ++i) {
        if (values[i] < 0)
            std::abort();
    }
    if (values[FieldClockSeconds - 1] >= 60 || values[FieldClockMinutes - 1] > 60)
        std::abort();

    // What was read writes back as a whole file, which reads back the same.
    RecordImage image;
    FormatRecordTexts(values, image);
    const auto* bytes = reinterpret_cast<const unsigned char*>(image.data());
    if (!IsCompleteRecordImage(bytes, image.size()))
        std::abort();
    StoredValues again = DecodeRecords(bytes, image.size());
    for (int i = 0; i < StoredValueCount; ++i) {
        int32_t expected = values[i] > LargestRecordValue ? LargestRecordValue : values[i];
        if (again[i] != expected)
            std::abort();
    }
    return 0;
}
