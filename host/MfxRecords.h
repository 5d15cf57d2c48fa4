// The two records the host passes through its queues, a wire format byte for
// byte. No Windows header: the mapping rules and their tests build anywhere.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// A playback event. Packed: 17 bytes, no padding.
struct EventRecord {
    int32_t time;        // host time unit
    uint8_t host4[2];    // host fields, carried through unchanged
    int32_t type;        // kEventNote, kEventController, anything else passes
    uint8_t number;      // note number or controller number
    uint8_t value;       // velocity or controller value
    uint8_t host12;      // host field, carried through unchanged
    int32_t duration;    // of a note, in the unit of time
};

// A live short MIDI message.
struct DataItem {
    uint8_t host0[4];    // host field, carried through unchanged
    uint8_t status;      // high nibble the kind, low nibble the channel
    uint8_t data1;       // note number
    uint8_t data2;       // velocity
    uint8_t host7;       // carried through unchanged
};

#pragma pack(pop)

constexpr int32_t kEventNote = 0;
constexpr int32_t kEventController = 2;

static_assert(sizeof(EventRecord) == 17, "EventRecord is 17 packed bytes");
static_assert(offsetof(EventRecord, time) == 0);
static_assert(offsetof(EventRecord, host4) == 4);
static_assert(offsetof(EventRecord, type) == 6);
static_assert(offsetof(EventRecord, number) == 10);
static_assert(offsetof(EventRecord, value) == 11);
static_assert(offsetof(EventRecord, host12) == 12);
static_assert(offsetof(EventRecord, duration) == 13);
static_assert(alignof(EventRecord) == 1);

static_assert(sizeof(DataItem) == 8, "DataItem is 8 bytes");
static_assert(offsetof(DataItem, host0) == 0);
static_assert(offsetof(DataItem, status) == 4);
static_assert(offsetof(DataItem, data1) == 5);
static_assert(offsetof(DataItem, data2) == 6);
static_assert(offsetof(DataItem, host7) == 7);
