// A playback record tested for its kind, read from its halves and written whole gives exactly
// the fields a field-by-field access would, whatever the bytes around them.
#include "host/RecordHalves.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(RecordHalves, FieldsReadAndWrittenWholeAreTheRecordsOwn) {
    const struct {
        int32_t time, type;
        uint8_t number, value, host12;
        int32_t duration;
    } rows[] = {
        {0, kEventNote, 96, 100, 7, 480},
        {-5, kEventController, 64, 127, 0xFF, -1},
        {0x7FFFFFFF, 0x00010000, 0, 0, 0x80, 0x01020304},  // type only in its high half
        {123, 0x00000001, 255, 1, 0, 0x7F000000},          // duration only in its top byte
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.type);
        EventRecord record;
        std::memset(&record, 0xA5, sizeof record);
        record.time = row.time;
        record.type = row.type;
        record.number = row.number;
        record.value = row.value;
        record.host12 = row.host12;
        record.duration = row.duration;
        const CRecordKind kind(record);
        EXPECT_EQ(kind.isNote, row.type == kEventNote ? 1u : 0u);
        EXPECT_EQ(kind.number, row.number);
        const CRecordHalves halves(record);
        EXPECT_EQ(halves.Number(), row.number);
        EXPECT_EQ(halves.Value(), row.value);
        EXPECT_EQ(halves.Time(), row.time);
        EXPECT_EQ(halves.Duration(), row.duration);

        CRecordHalves changed = halves;
        changed.SetEvent(0x12345678, 11, 22);
        changed.SetTime(row.time + 9);
        changed.SetValue(33);
        EventRecord written;
        std::memset(&written, 0, sizeof written);
        changed.StoreInto(written);
        EventRecord expected = record;
        expected.type = 0x12345678;
        expected.number = 11;
        expected.value = 33;
        expected.time = row.time + 9;
        EXPECT_EQ(0, std::memcmp(&written, &expected, sizeof written));
    }
}
