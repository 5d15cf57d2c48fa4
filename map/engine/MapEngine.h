// CMapEngine: Zephrin Map as one object any plug-in format can drive: the
// settings and their store, the live road with learn mode, the playback
// road with the look-ahead re-send, and the latch states. No host's types,
// no Windows header.
//
// Threads: the editing calls come from any thread and wait only for each
// other; the live road may run on several threads at once, the playback
// road on one at a time; neither road takes a lock, allocates or waits.
#pragma once

#include "map/engine/MapMidi.h"
#include "map/engine/MapRules.h"
#include "map/engine/MapSettings.h"
#include "map/engine/MapStore.h"

#include <atomic>
#include <cstdint>

// What a live message became, beside a count of messages made.
constexpr int kMapPass = -1;     // it passes as it came (most do)
constexpr int kMapLearned = -2;  // learn mode took it: it is swallowed

class CMapEngine {
public:
    CMapEngine() = default;
    CMapEngine(const CMapEngine&) = delete;
    CMapEngine& operator=(const CMapEngine&) = delete;

    // The editing side. Each change applies whole, from the next call of
    // either road on.
    MapSettings Settings() { return m_store.Settings(); }
    void Replace(const MapSettings& settings) { m_store.Replace(settings); }
    // False, changing nothing, when the mapping is not valid.
    bool SetMapping(int index, const MapMapping& mapping);
    // Edits one mapping in one turn of the store's writers, so that a key
    // learned meanwhile is applied after the edit instead of being lost.
    // True when the mapping changed; an edit that leaves it invalid
    // changes nothing.
    template <typename Edit>
    bool EditMapping(int index, Edit edit);
    void SetLookAheadFix(bool on);

    // Learn mode: the mapping (0-7) that the next live note-on, of any key
    // and channel, teaches its key (and its channel, when it listens to
    // one), once; -1 for none.
    void SetLearning(int mapping);
    int Learning() const { return m_learning.load(std::memory_order_relaxed) - 1; }

    // A new start of playback: every playback latch up, nothing waiting to
    // be sent again. What live keys latched stays.
    void StartPlayback() { m_playback.Reset(); }
    // Every live latch up.
    void ResetLiveLatches() { m_liveLatches.Reset(); }

    // One host call of the live road: the mappings as they stood when it
    // began, for every message of the call.
    class CLiveCall {
    public:
        explicit CLiveCall(CMapEngine& engine)
            : m_engine(engine), m_tables(engine.m_store.Tables()) {}

        // What one message becomes: kMapPass, kMapLearned, or the number of
        // messages written into out (0 to 2: a latch's note-off makes
        // none; a mapping that lets the note through puts it first).
        int Message(MidiMessage in, MidiMessage (&out)[2]) {
            if (m_engine.m_learning.load(std::memory_order_relaxed) != 0 &&
                m_engine.TakeForLearn(in))
                return kMapLearned;
            const uint8_t takers = MapLiveTakers(m_tables, in);
            if (!takers) return kMapPass;
            return MapLiveMessage(m_tables, m_engine.m_liveLatches, in, takers, out);
        }

    private:
        CMapEngine& m_engine;
        const MapTables m_tables;
    };

    // One host call of the playback road, for one window of its time.
    class CPlaybackCall {
    public:
        explicit CPlaybackCall(CMapEngine& engine)
            : m_engine(engine), m_tables(engine.m_store.Tables()) {}

        // The look-ahead fix: hosts that read ahead can miss the last
        // controller-off of a window, so each held mapping's is given once
        // more, one at a time, when a later window [from, thru] holds its
        // time, and then forgotten. False when there is none (or the fix
        // is off). A host sends these before anything else of the window.
        bool NextResend(int32_t from, int32_t thru, MapEvent& event);

        // The mappings that may take an event: none unless it is a note
        // (isNote 1) of a key some mapping holds. Inline and branch-free;
        // a note taken by none passes as it came.
        uint8_t Takers(unsigned isNote, unsigned key) const {
            return MapPlaybackTakers(m_tables, isNote, key);
        }
        // What a note taken by one of takers becomes (1 to 3 events).
        int Note(const MapNote& note, uint8_t takers, MapEvent (&out)[3]) {
            return MapPlaybackNote(m_tables, m_engine.m_playback, note, takers, out);
        }

    private:
        CMapEngine& m_engine;
        const MapTables m_tables;
        int m_resent = -1;
    };

private:
    bool TakeForLearn(MidiMessage in);

    CMapStore m_store;
    MapLiveLatches m_liveLatches;
    // Touched only by the playback road, which a host calls one at a time.
    MapPlaybackState m_playback;
    std::atomic<int32_t> m_learning{0};  // the learning mapping + 1, 0 for none
};

template <typename Edit>
bool CMapEngine::EditMapping(int index, Edit edit) {
    if (index < 0 || index >= kMapMaxMappings) return false;
    return m_store.Change([&](MapSettings& settings) {
        MapMapping mapping = settings.mappings[index];
        edit(mapping);
        if (mapping == settings.mappings[index] || !mapping.IsValid()) return false;
        settings.SetMapping(index, mapping);
        return true;
    });
}
