// The two controller records that a playback note of the key becomes: value
// 127 at the note's start and value 0 at its end (start + duration - 1), with
// type 2 and number ccOut; time, host bytes and duration carry over. The
// note's record is rewritten in place into the first, the second is written
// where the caller says. Both are stored whole, 16 bytes and the last byte,
// as the host reads them, so its copy reads what was just stored.
#pragma once

#include "filter/RecordWords.h"
#include "host/MfxHost.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define ZEPHRIN_SSE2 1
#endif

static_assert(offsetof(EventRecord, type) == 6 && offsetof(EventRecord, number) == 10 &&
              offsetof(EventRecord, value) == 11 && offsetof(EventRecord, duration) == 13 &&
              sizeof(EventRecord) == 17);

constexpr uint8_t kControllerOn = 127;

// In two 64-bit words and the last byte: for targets without SSE2.
class CControllerPairWords {
public:
    explicit CControllerPairWords(int32_t ccOut)
        : m_number(uint64_t{static_cast<uint8_t>(ccOut)} << 16) {}

    void Build(EventRecord& note, EventRecord& off) const {
        uint8_t* bytes = reinterpret_cast<uint8_t*>(&note);
        const int32_t end = NoteEnd(note.time, note.duration);
        // Bytes 0-7: time and host bytes kept, type 2 (its low half). Bytes
        // 8-15: the type's high half 0, number, value, the host byte and the
        // duration kept.
        const uint64_t first = (LoadWord<uint64_t>(bytes) & 0x0000FFFFFFFFFFFFull) |
                               uint64_t{static_cast<uint32_t>(kEventController)} << 48;
        const uint64_t second =
            (LoadWord<uint64_t>(bytes + 8) & 0xFFFFFFFF00000000ull) | m_number;
        uint8_t* offBytes = reinterpret_cast<uint8_t*>(&off);
        StoreWord(offBytes, (first & 0xFFFFFFFF00000000ull) | static_cast<uint32_t>(end));
        StoreWord(offBytes + 8, second);
        offBytes[16] = bytes[16];
        StoreWord(bytes, first);
        StoreWord(bytes + 8, second | uint64_t{kControllerOn} << 24);
    }

private:
    uint64_t m_number;  // ccOut in place in the second word
};

#ifdef ZEPHRIN_SSE2
// In one 16-byte vector and the last byte.
class CControllerPairSse2 {
public:
    explicit CControllerPairSse2(int32_t ccOut)
        : m_keep(_mm_set_epi32(-1, 0, 0x0000FFFF, -1)),
          m_on(_mm_set_epi32(0, kControllerOn << 24 | static_cast<uint8_t>(ccOut) << 16,
                             kEventController << 16, 0)),
          m_offKeeps(_mm_set_epi32(-1, 0x00FFFFFF, -1, 0)) {}

    void Build(EventRecord& note, EventRecord& off) const {
        uint8_t* bytes = reinterpret_cast<uint8_t*>(&note);
        const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
        // The duration from the head and the last byte, not read as one
        // 4-byte word across the host's two stores.
        const uint32_t low = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(head, 13)));
        const uint8_t top = bytes[16];
        const int32_t end = NoteEnd(_mm_cvtsi128_si32(head),
                                    static_cast<int32_t>(low | uint32_t{top} << 24));
        const __m128i on = _mm_or_si128(_mm_and_si128(head, m_keep), m_on);
        uint8_t* offBytes = reinterpret_cast<uint8_t*>(&off);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(offBytes),
                         _mm_or_si128(_mm_and_si128(on, m_offKeeps), _mm_cvtsi32_si128(end)));
        offBytes[16] = top;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes), on);
    }

private:
    __m128i m_keep;      // time, host bytes, host byte, duration
    __m128i m_on;        // type 2, number ccOut, value 127
    __m128i m_offKeeps;  // all of the first record but its time and value
};

using CControllerPair = CControllerPairSse2;
#else
using CControllerPair = CControllerPairWords;
#endif
