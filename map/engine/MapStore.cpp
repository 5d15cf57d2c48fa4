// Zephrin Map's settings store: the writers' turn and the hand-over of a
// learned key.
#include "map/engine/MapStore.h"

#include "common/ThreadYield.h"

namespace {

constexpr uint32_t kLearnedFlag = 0x80000000u;

}  // namespace

CMapStore::CMapStore()
    : m_settings(MapSettings::Defaults()), m_tables(CompileMapTables(m_settings)) {}

CMapStore::CWriterTurn::CWriterTurn(CMapStore& store) : m_store(store) {
    // Another editor's edit takes nanoseconds; a MIDI path never waits here.
    while (!m_store.TryBeginTurn()) YieldThread();
    // A key learned while the last turn was ending is applied first, so that
    // this turn reads and edits the settings with it.
    m_store.TakeLearned();
}

CMapStore::CWriterTurn::~CWriterTurn() { m_store.EndTurn(); }

bool CMapStore::TryBeginTurn() { return !m_writing.exchange(true, std::memory_order_acquire); }

// The turn is given back before the learned key is looked for, and the
// learner hands its key over before it tries for the turn; both in one
// total order, so that of the two, at least one sees the other: a key is
// never left waiting with no one to apply it.
void CMapStore::EndTurn() {
    m_writing.store(false, std::memory_order_seq_cst);
    if (m_learned.load(std::memory_order_seq_cst) != 0) ApplyLearned();
}

void CMapStore::PaceEdits() {
    while (MonotonicMicroseconds() - m_lastPublished < kEditPaceMicroseconds) YieldThread();
}

void CMapStore::Publish() {
    m_tables.Publish(CompileMapTables(m_settings));
    m_lastPublished = MonotonicMicroseconds();
}

MapSettings CMapStore::Settings() {
    CWriterTurn turn(*this);
    return m_settings;
}

void CMapStore::Replace(const MapSettings& settings) {
    Change([&](MapSettings& current) { current = settings; });
}

void CMapStore::Learn(int mapping, uint8_t key, uint8_t channel) {
    if (mapping < 0 || mapping >= kMapMaxMappings || key > 127 || channel > 15) return;
    m_learned.store(kLearnedFlag | static_cast<uint32_t>(mapping) << 16 |
                        static_cast<uint32_t>(channel) << 8 | key,
                    std::memory_order_seq_cst);
    ApplyLearned();
}

void CMapStore::ApplyLearned() {
    while (m_learned.load(std::memory_order_seq_cst) != 0) {
        if (m_writing.exchange(true, std::memory_order_seq_cst)) return;  // the holder applies it
        TakeLearned();
        m_writing.store(false, std::memory_order_seq_cst);
    }
}

// In a writer's turn: the waiting learned key, if any, into the settings
// and the published tables.
void CMapStore::TakeLearned() {
    const uint32_t learned = m_learned.exchange(0, std::memory_order_acquire);
    if (learned == 0) return;
    const int mapping = static_cast<int>(learned >> 16 & 0xFF);
    m_settings.SetMapping(mapping, MapLearned(m_settings.mappings[mapping],
                                              static_cast<uint8_t>(learned & 0xFF),
                                              static_cast<uint8_t>(learned >> 8 & 0xFF)));
    // A learned key is not paced: the MIDI thread that learned it never waits.
    Publish();
}
