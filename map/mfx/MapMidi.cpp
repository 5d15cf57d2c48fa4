// Zephrin Map's two MIDI paths. They run on the host's real-time threads:
// the tables are read once a call without a lock, nothing is allocated,
// nothing waits, and the only calls out are the host's queues. A record no
// mapping takes, most of them, is handed on as it came, with one test.
#include "map/mfx/MapFilter.h"

STDMETHODIMP CMfxZephrinMapFilter::OnInput(DataQueue* in, DataQueue* out) {
    // Read once: an edit or a learned key applies from the next call on.
    const MapTables tables = m_store.Tables();

    int32_t count = 0;
    if (!in || !out || FAILED(in->GetCount(&count))) return S_OK;

    for (int32_t i = 0; i < count; ++i) {
        DataItem item;
        if (FAILED(in->GetAt(i, &item))) continue;

        if (m_learning.load(std::memory_order_relaxed) != 0 && item.status >> 4 == 0x9 &&
            item.data2 != 0 && item.data1 < 128) {
            // Learn mode takes this note-on of any key and channel and
            // swallows it; of two threads, only one takes it.
            const int32_t learning = m_learning.exchange(0, std::memory_order_relaxed);
            if (learning != 0) {
                m_store.Learn(learning - 1, item.data1, item.status & 0x0F);
                m_dirty.store(1, std::memory_order_relaxed);
                // The page hears of it through a message posted to its
                // window: no lock, no waiting for its thread (a MIDI thread
                // held up by the user interface would stall live input),
                // and at most one such message on its way.
                m_pageRefresh.Post();
                continue;
            }
        }

        const uint8_t takers = MapLiveTakers(tables, item);
        if (!takers) {
            out->Add(&item);
            continue;
        }
        DataItem results[2];
        const int made = MapLiveMessage(tables, m_liveLatches, item, takers, results);
        for (int r = 0; r < made; ++r) out->Add(&results[r]);
    }
    return S_OK;
}

STDMETHODIMP CMfxZephrinMapFilter::OnEvents(LONG timeFrom, LONG timeThru, EventQueue* in,
                                            EventQueue* out) {
    const MapTables tables = m_store.Tables();

    if (!out) return S_OK;

    // Hosts that read ahead can miss the last controller-off of a window; each
    // held mapping's is sent again once a later window reaches its time,
    // before anything else.
    if (tables.lookAheadFix) {
        for (int m = MapNextPendingInWindow(m_playback, timeFrom, timeThru, -1); m >= 0;
             m = MapNextPendingInWindow(m_playback, timeFrom, timeThru, m)) {
            out->Add(&m_playback.pending[m]);
            m_playback.hasPending[m] = false;
        }
    }

    int32_t count = 0;
    if (!in || FAILED(in->GetCount(&count))) return S_OK;

    for (int32_t i = 0; i < count; ++i) {
        EventRecord record;
        if (FAILED(in->GetAt(i, &record))) continue;
        const uint8_t takers = MapPlaybackTakers(tables, record);
        if (!takers) {
            out->Add(&record);
            continue;
        }
        EventRecord results[3];
        const int made = MapPlaybackRecord(tables, m_playback, record, takers, results);
        for (int r = 0; r < made; ++r) out->Add(&results[r]);
    }
    return S_OK;
}
