// A playback record as the host writes and reads it. A host copies a
// record's 17 bytes with one 16-byte store and one byte, and reads one the
// same way. A load that lies within one 8-byte half of such a store is
// forwarded from it on every x86 core, but one that straddles the middle
// (the record's type, bytes 6 to 9) or the end (its duration, bytes 13 to
// 16) is not on Intel's: it waits for the store to retire, some 15 cycles.
// The same goes for the host's 16-byte read of a record written field by
// field. So the MIDI paths test every record with loads that each lie
// within one half (CRecordKind), take a taken note's fields from its two
// 8-byte halves and its last byte, and write a record whole: one 16-byte
// store, one byte. (Reading every record's two halves whole costs an AMD
// core, which forwards the straddling load anyway, 7 % of Map's playback.)
#pragma once

#include "common/NoteTime.h"
#include "host/MfxRecords.h"
#include "host/RecordWords.h"

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define ZEPHRIN_RECORD_SSE2 1
#endif

static_assert(offsetof(EventRecord, type) == 6 && offsetof(EventRecord, number) == 10 &&
              offsetof(EventRecord, value) == 11 && offsetof(EventRecord, host12) == 12 &&
              offsetof(EventRecord, duration) == 13 && sizeof(EventRecord) == 17);

// What every record is tested for, its kind and number, read with the
// fewest loads that each lie within one half of the host's store: the
// type's low and high 16 bits apart (bytes 6-7 and 8-9; a type is a note
// only when both are zero), and the number's byte. A record that is taken
// is then read whole, as CRecordHalves.
struct CRecordKind {
    unsigned isNote;  // 1 for a note (type 0), else 0
    uint8_t number;

    explicit CRecordKind(const EventRecord& record) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
        isNote = (LoadWord<uint16_t>(bytes + 6) | LoadWord<uint16_t>(bytes + 8)) == 0;
        number = bytes[10];
    }
};

struct CRecordHalves {
    uint64_t low;   // bytes 0-7: time, the host's two bytes, the type's low half
    uint64_t high;  // bytes 8-15: the type's high half, number, value, host byte, duration's low 3
    uint8_t last;   // byte 16: the duration's top byte

    explicit CRecordHalves(const EventRecord& record) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
        low = LoadWord<uint64_t>(bytes);
        high = LoadWord<uint64_t>(bytes + 8);
        last = bytes[16];
    }

    uint8_t Number() const { return static_cast<uint8_t>(high >> 16); }
    uint8_t Value() const { return static_cast<uint8_t>(high >> 24); }
    int32_t Time() const { return static_cast<int32_t>(low); }
    int32_t Duration() const {
        return static_cast<int32_t>(static_cast<uint32_t>(high >> 40) | uint32_t{last} << 24);
    }

    // The type, number and value set; everything else kept.
    void SetEvent(int32_t type, uint8_t number, uint8_t value) {
        const uint32_t t = static_cast<uint32_t>(type);
        low = (low & 0x0000FFFFFFFFFFFFull) | uint64_t{t & 0xFFFF} << 48;
        high = (high & 0xFFFFFFFF00000000ull) | (t >> 16) | uint32_t{number} << 16 |
               uint32_t{value} << 24;
    }
    void SetTime(int32_t time) {
        low = (low & 0xFFFFFFFF00000000ull) | static_cast<uint32_t>(time);
    }
    void SetValue(uint8_t value) {
        high = (high & ~(0xFFull << 24)) | uint64_t{value} << 24;
    }

    void StoreInto(EventRecord& record) const {
        auto* bytes = reinterpret_cast<uint8_t*>(&record);
#ifdef ZEPHRIN_RECORD_SSE2
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes),
                         _mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(low)));
#else
        StoreWord(bytes, low);
        StoreWord(bytes + 8, high);
#endif
        bytes[16] = last;
    }
};
