// Zephrin Map's settings as the filter holds them: the settings themselves
// for the editing side, and the tables compiled from them, published for
// the MIDI paths, which read them without a lock and never wait. Editors
// (the page, a load) take turns through a writer's flag that only they
// wait for; a key learned on a MIDI path is handed over without waiting.
// No Windows header.
#pragma once

#include "common/PublishedValue.h"
#include "map/engine/MapRules.h"
#include "map/engine/MapSettings.h"

#include <atomic>
#include <cstdint>
#include <type_traits>

class CMapStore {
public:
    CMapStore();
    CMapStore(const CMapStore&) = delete;
    CMapStore& operator=(const CMapStore&) = delete;

    // For the MIDI paths: the tables as last published, whole. Never waits.
    MapTables Tables() const { return m_tables.Read(); }

    // For the editing side: the settings, and changes to them, each applied
    // whole. Waits only for another editor, for as long as one edit takes,
    // and for the pace below.
    MapSettings Settings();
    void Replace(const MapSettings& settings);
    // An edit that returns a bool says whether it changed anything: one
    // that did not publishes nothing, and Change returns what it said.
    template <typename Edit>
    bool Change(Edit edit) {
        CWriterTurn turn(*this);
        PaceEdits();
        if constexpr (std::is_same_v<decltype(edit(m_settings)), bool>) {
            if (!edit(m_settings)) return false;
        } else {
            edit(m_settings);
        }
        Publish();
        return true;
    }

    // Editors publish at most one set per this many microseconds. Each new
    // set is written by another processor, so the first MIDI call to read it
    // fetches its cache lines from there (some hundreds of nanoseconds); an
    // editor faster than this (no person, and no host loading projects, is)
    // waits instead, so that such calls stay rare however hard editors push.
    static constexpr uint64_t kEditPaceMicroseconds = 50;

    // For a MIDI path: the mapping learns the key (and the channel, when it
    // listens to one). Applied at once when no editor is at work, otherwise
    // by that editor as it finishes; never waits.
    void Learn(int mapping, uint8_t key, uint8_t channel);

private:
    class CWriterTurn {
    public:
        explicit CWriterTurn(CMapStore& store);
        ~CWriterTurn();
        CWriterTurn(const CWriterTurn&) = delete;
        CWriterTurn& operator=(const CWriterTurn&) = delete;

    private:
        CMapStore& m_store;
    };

    bool TryBeginTurn();
    void EndTurn();
    void PaceEdits();
    void Publish();
    // Applies a learned key waiting to be applied, if any and if no other
    // writer holds the turn.
    void ApplyLearned();
    void TakeLearned();

    std::atomic<bool> m_writing{false};
    // A learned key waiting: kLearnedFlag | mapping << 16 | channel << 8 | key.
    std::atomic<uint32_t> m_learned{0};
    MapSettings m_settings;  // the writer's, read and changed only in its turn
    uint64_t m_lastPublished = 0;  // when, in microseconds; the writer's too
    CPublishedValue<MapTables> m_tables;
};
