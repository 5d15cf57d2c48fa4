// Zephrin Map's filter object: its class IDs, the host's start of playback
// and the editing side, each handed to the engine.
#include "map/mfx/MapFilter.h"

#include "map/mfx/MapIds.h"

CMfxZephrinMapFilter::CMfxZephrinMapFilter()
    : CMfxFilter(CLSID_ZephrinMapFilter, CLSID_ZephrinMapPropPage) {}

STDMETHODIMP CMfxZephrinMapFilter::OnStart(LONG, LONG) {
    m_engine.StartPlayback();
    return S_OK;
}

void CMfxZephrinMapFilter::SetSettings(const MapSettings& settings) {
    m_engine.Replace(settings);
    MarkDirty();
}

bool CMfxZephrinMapFilter::SetMapping(int index, const MapMapping& mapping) {
    if (!m_engine.SetMapping(index, mapping)) return false;
    MarkDirty();
    return true;
}

void CMfxZephrinMapFilter::SetLookAheadFix(bool on) {
    m_engine.SetLookAheadFix(on);
    MarkDirty();
}
