// Zephrin Map's two MIDI paths: each record to the engine and what it gives
// back to the host. They run on the host's real-time threads: the mappings
// are read once a call without a lock, nothing is allocated, nothing waits,
// and the only calls out are the host's queues. A record no mapping takes,
// most of them, is handed on as it came.
#include "map/mfx/MapFilter.h"

#include "host/RecordHalves.h"
#include "map/mfx/MapRecords.h"

STDMETHODIMP CMfxZephrinMapFilter::OnInput(DataQueue* in, DataQueue* out) {
    // Read once: an edit or a learned key applies from the next call on.
    CMapEngine::CLiveCall call(m_engine);

    int32_t count = 0;
    if (!in || !out || FAILED(in->GetCount(&count))) return S_OK;

    for (int32_t i = 0; i < count; ++i) {
        DataItem item;
        if (FAILED(in->GetAt(i, &item))) continue;
        MidiMessage results[2];
        const int made = call.Message(MessageOf(item), results);
        if (made == kMapPass) {
            out->Add(&item);
        } else if (made == kMapLearned) {
            MarkDirty();
            // The page hears of it through a message posted to its window:
            // no lock, no waiting for its thread (a MIDI thread held up by
            // the user interface would stall live input), and at most one
            // such message on its way.
            PageRefresh().Post();
        } else {
            for (int r = 0; r < made; ++r) {
                const DataItem result = ItemOf(item, results[r]);
                out->Add(&result);
            }
        }
    }
    return S_OK;
}

STDMETHODIMP CMfxZephrinMapFilter::OnEvents(LONG timeFrom, LONG timeThru, EventQueue* in,
                                            EventQueue* out) {
    CMapEngine::CPlaybackCall call(m_engine);

    if (!out) return S_OK;
    for (MapEvent again; call.NextResend(timeFrom, timeThru, again);) {
        const EventRecord record = RecordOf(again);
        out->Add(&record);
    }

    int32_t count = 0;
    if (!in || FAILED(in->GetCount(&count))) return S_OK;

    for (int32_t i = 0; i < count; ++i) {
        EventRecord record;
        if (FAILED(in->GetAt(i, &record))) continue;
        const CRecordKind kind(record);  // as the host stored it
        const uint8_t takers = call.Takers(kind.isNote, kind.number);
        if (!takers) {
            out->Add(&record);
            continue;
        }
        const CRecordHalves halves(record);
        MapEvent results[3];
        const int made = call.Note(NoteOf(halves), takers, results);
        for (int r = 0; r < made; ++r) {
            EventRecord result;
            StoreEvent(results[r], halves, result);
            out->Add(&result);
        }
    }
    return S_OK;
}
