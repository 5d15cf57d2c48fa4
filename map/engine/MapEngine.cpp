// The engine's editing side, learn mode and the look-ahead re-send.
#include "map/engine/MapEngine.h"

bool CMapEngine::SetMapping(int index, const MapMapping& mapping) {
    if (index < 0 || index >= kMapMaxMappings || !mapping.IsValid()) return false;
    m_store.Change([&](MapSettings& settings) { settings.SetMapping(index, mapping); });
    return true;
}

void CMapEngine::SetLookAheadFix(bool on) {
    m_store.Change([&](MapSettings& settings) { settings.lookAheadFix = on; });
}

void CMapEngine::SetLearning(int mapping) {
    m_learning.store(mapping >= 0 && mapping < kMapMaxMappings ? mapping + 1 : 0,
                     std::memory_order_relaxed);
}

// A note-on of any key and channel; of two threads, only one takes it.
bool CMapEngine::TakeForLearn(MidiMessage in) {
    if (!MapLearnTakes(in)) return false;
    const int32_t learning = m_learning.exchange(0, std::memory_order_relaxed);
    if (learning == 0) return false;
    m_store.Learn(learning - 1, in.data1, in.status & 0x0F);
    return true;
}

bool CMapEngine::CPlaybackCall::NextResend(int32_t from, int32_t thru, MapEvent& event) {
    if (!m_tables.lookAheadFix) return false;
    MapPlaybackState& state = m_engine.m_playback;
    const int mapping = MapNextPendingInWindow(state, from, thru, m_resent);
    if (mapping < 0) return false;
    event = state.pending[mapping];
    state.hasPending[mapping] = false;
    m_resent = mapping;
    return true;
}
