// The note-to-controller mapping on its two roads: live input and playback.
// Runs on the host's real-time threads: no allocation, the settings lock only
// for single reads, every record fetched and added once.
//
// The host's own work per record (a call to fetch it, a call to add it) is a
// few nanoseconds, and a mispredicted branch costs several times that. Live
// data is note-ons and note-offs about half and half with the key among them
// at random, so the live test and rewrite are selects, not branches; the only
// branches left in the loops are the ones almost never taken (learn mode, a
// failed fetch) and, in playback, the key's notes, which add a second record.
// Live items handed to the host are stored whole, as wide as the host reads
// them, so that its copy reads what was just stored without a stall.
#include "host/ControllerPair.h"
#include "host/RecordHalves.h"
#include "host/RecordWords.h"
#include "zephrin/filter/ZephrinFilter.h"

// A condition that goes either way at random: the compiler is asked for a
// select rather than a branch.
#if defined(__clang__)
#define ZEPHRIN_UNPREDICTABLE(condition) __builtin_unpredictable(condition)
#elif defined(__GNUC__) && __GNUC__ >= 9
#define ZEPHRIN_UNPREDICTABLE(condition) __builtin_expect_with_probability(!!(condition), 1, 0.5)
#else
#define ZEPHRIN_UNPREDICTABLE(condition) (condition)
#endif

namespace {

constexpr uint8_t kControlChange = 0xB0;
constexpr uint8_t kControllerOn = 127;

// A live item as one word: bytes 0-3 and 7 the host's, 4 the status, 5 and 6
// the data bytes. A converted item keeps the host's bytes and the channel.
constexpr int kStatusShift = 32;
constexpr int kData1Shift = 40;
constexpr int kData2Shift = 48;
constexpr uint64_t kConvertedKeeps = 0xFF00000FFFFFFFFFull;
static_assert(offsetof(DataItem, status) == 4 && offsetof(DataItem, data1) == 5 &&
              offsetof(DataItem, data2) == 6 && sizeof(DataItem) == 8);

// The status and first data byte of a live item, as the 16 bits at byte 4,
// that make it the key's note: kind 8 or 9 (0x80-0x9F) and the key.
constexpr uint32_t kNoteAndKeyBits = 0xFFE0;
constexpr uint32_t kMatchesNothing = 0x10000;  // above any 16 bits

uint32_t KeyNotePattern(int32_t keyIn) {
    // A key outside 0..255 (only a loaded stream holds one) matches no byte.
    return static_cast<uint32_t>(keyIn) <= 0xFF ? 0x80u | static_cast<uint32_t>(keyIn) << 8
                                                 : kMatchesNothing;
}

}  // namespace

STDMETHODIMP CMfxZephrinFilter::OnInput(DataQueue* in, DataQueue* out) {
    // Read once: a key learned during this call applies from the next call on.
    const int32_t keyIn = GetParam(0, 0);
    const int32_t ccOut = GetParam(0, 1);

    int32_t count = 0;
    if (!in || !out || FAILED(in->GetCount(&count))) return S_OK;

    const uint32_t keyNote = KeyNotePattern(keyIn);
    const uint64_t controllerOff = uint64_t{kControlChange} << kStatusShift |
                                   uint64_t{static_cast<uint8_t>(ccOut)} << kData1Shift;
    const uint64_t controllerOn = controllerOff | uint64_t{kControllerOn} << kData2Shift;

    const int32_t items = count;
    for (int32_t i = 0; i < items; ++i) {
        DataItem item;
        if (FAILED(in->GetAt(i, &item))) continue;

        if (m_learning.load(std::memory_order_relaxed) != 0 && item.status >> 4 == 0x9 &&
            item.data2 != 0) {
            // Learn mode takes this note-on of any key and channel and swallows it.
            SetParam(0, 0, item.data1);
            m_learning.store(0, std::memory_order_relaxed);
            // The page hears of it through a message posted to its window:
            // no lock, no waiting for its thread.
            PageRefresh().Post();
            continue;
        }

        // A note-on (kind 9, velocity not 0) gives 127; a note-off (kind 8, or
        // kind 9 at velocity 0) gives 0.
        uint64_t controller = controllerOff;
        if (ZEPHRIN_UNPREDICTABLE(item.data2 != 0)) controller = controllerOn;
        if (ZEPHRIN_UNPREDICTABLE((item.status & 0x10) == 0)) controller = controllerOff;
        uint64_t word = LoadWord<uint64_t>(&item);
        const uint64_t converted = (word & kConvertedKeeps) | controller;
        if (ZEPHRIN_UNPREDICTABLE((LoadWord<uint16_t>(&item.status) & kNoteAndKeyBits) == keyNote))
            word = converted;
        StoreWord(&item, word);
        out->Add(&item);
    }
    return S_OK;
}

STDMETHODIMP CMfxZephrinFilter::OnEvents(LONG timeFrom, LONG timeThru, EventQueue* in,
                                         EventQueue* out) {
    const int32_t keyIn = GetParam(0, 0);
    const int32_t lookAheadFix = GetParam(1, 0);
    const int32_t ccOut = GetParam(0, 1);

    if (!out) return S_OK;

    // Hosts that read ahead can miss the last controller-off of a window; send
    // it again once a later window reaches its time, before anything else.
    if (lookAheadFix != 0 && m_hasPending && timeFrom <= m_pending.time &&
        m_pending.time <= timeThru) {
        out->Add(&m_pending);
        m_pending.time = -1;
        m_hasPending = false;
    }

    int32_t count = 0;
    if (!in || FAILED(in->GetCount(&count))) return S_OK;

    const uint32_t key = static_cast<uint32_t>(keyIn);
    // ccOut above 127 (only a loaded stream holds one) goes out as its low byte.
    const uint8_t controller = static_cast<uint8_t>(ccOut);

    const int32_t records = count;
    for (int32_t i = 0; i < records; ++i) {
        EventRecord record;
        if (FAILED(in->GetAt(i, &record))) continue;

        // Both conditions in one test, so that there is one branch, taken for
        // the key's notes only: a note (type 0) whose number is the key. The
        // fields are read as the host stored the record.
        static_assert(kEventNote == 0);
        const CRecordKind kind(record);
        if ((kind.isNote ^ 1u) | (kind.number ^ key)) {
            out->Add(&record);
            continue;
        }
        // The note's velocity plays no part; host bytes and the duration carry
        // over. The off record is the one remembered for the look-ahead fix.
        BuildControllerPair(record, m_pending, controller, kControllerOn, 0);
        m_hasPending = true;
        out->Add(&record);
        out->Add(&m_pending);
    }
    return S_OK;
}
