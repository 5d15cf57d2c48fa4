// CMfxZephrinMapFilter: Zephrin Map as an MFX filter, on the kit's filter
// object: an adapter that turns the host's records into the engine's calls
// and the engine's results back into records, and keeps the editing side's
// dirty flag and the page informed. The mappings themselves are the
// engine's.
#pragma once

#include "map/engine/MapEngine.h"
#include "mfx/MfxFilter.h"

class CMfxZephrinMapFilter final : public CMfxFilter {
public:
    CMfxZephrinMapFilter();

    // IMfxEventFilter
    STDMETHODIMP OnStart(LONG time, LONG unused) override;
    STDMETHODIMP OnEvents(LONG timeFrom, LONG timeThru, EventQueue* in, EventQueue* out) override;
    STDMETHODIMP OnInput(DataQueue* in, DataQueue* out) override;

    // The editing side. Every change is an edit: it marks the filter dirty
    // and applies from the next MIDI call on.
    MapSettings Settings() { return m_engine.Settings(); }
    void SetSettings(const MapSettings& settings);
    // False, changing nothing, when the mapping is not valid.
    bool SetMapping(int index, const MapMapping& mapping);
    // One mapping edited in one turn (see CMapEngine::EditMapping); true
    // when it changed.
    template <typename Edit>
    bool EditMapping(int index, Edit edit) {
        if (!m_engine.EditMapping(index, edit)) return false;
        MarkDirty();
        return true;
    }
    void SetLookAheadFix(bool on);

    // Learn mode: the mapping (0-7) that the next live note-on teaches its
    // key, or -1 for none.
    void SetLearning(int mapping) { m_engine.SetLearning(mapping); }
    int Learning() const { return m_engine.Learning(); }

private:
    ~CMfxZephrinMapFilter() override = default;

    const char* LoadSettings(IStream* stream) override;
    HRESULT SaveSettings(IStream* stream) override;
    ULONGLONG SettingsSize() override;

    void MarkDirty() { m_dirty.store(1, std::memory_order_relaxed); }

    CMapEngine m_engine;
};
