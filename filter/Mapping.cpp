// The note-to-controller mapping on its two roads: live input and playback.
// Runs on the host's real-time threads: no allocation, the settings lock only
// for single reads, every record fetched and added once.
#include "filter/ZephrinFilter.h"

namespace {

constexpr uint8_t kControlChange = 0xB0;
constexpr uint8_t kControllerOn = 127;
constexpr uint8_t kControllerOff = 0;

// Playback times are 32-bit and wrap like the host's own arithmetic; done
// unsigned because signed overflow is undefined in C++.
int32_t NoteEnd(int32_t start, int32_t duration) {
    return static_cast<int32_t>(static_cast<uint32_t>(start) + static_cast<uint32_t>(duration) -
                                1u);
}

}  // namespace

STDMETHODIMP CMfxZephrinFilter::OnInput(DataQueue* in, DataQueue* out) {
    // Read once: a key learned during this call applies from the next call on.
    const int32_t keyIn = GetParam(0, 0);
    const int32_t ccOut = GetParam(0, 1);

    int32_t count = 0;
    if (!in || !out || FAILED(in->GetCount(&count))) return S_OK;

    for (int32_t i = 0; i < count; ++i) {
        DataItem item;
        if (FAILED(in->GetAt(i, &item))) continue;

        const uint8_t kind = item.status >> 4;
        const uint8_t channel = item.status & 0x0F;
        const bool noteOn = kind == 0x9 && item.data2 != 0;
        const bool noteOff = kind == 0x8 || (kind == 0x9 && item.data2 == 0);

        if (noteOn && m_learning.load(std::memory_order_relaxed)) {
            // Learn mode takes this note-on of any key and channel and swallows it.
            SetParam(0, 0, item.data1);
            m_learning.store(0, std::memory_order_relaxed);
            RefreshPage();
            continue;
        }
        if ((noteOn || noteOff) && item.data1 == keyIn) {
            item.status = static_cast<uint8_t>(kControlChange | channel);
            item.data1 = static_cast<uint8_t>(ccOut);
            item.data2 = noteOn ? kControllerOn : kControllerOff;
        }
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

    for (int32_t i = 0; i < count; ++i) {
        EventRecord record;
        if (FAILED(in->GetAt(i, &record))) continue;

        if (record.type != kEventNote || record.number != keyIn) {
            out->Add(&record);
            continue;
        }
        // The note's velocity plays no part; host bytes and the duration carry over.
        const int32_t end = NoteEnd(record.time, record.duration);
        record.type = kEventController;
        record.number = static_cast<uint8_t>(ccOut);
        record.value = kControllerOn;
        out->Add(&record);

        record.time = end;
        record.value = kControllerOff;
        out->Add(&record);

        m_pending = record;
        m_hasPending = true;
    }
    return S_OK;
}
