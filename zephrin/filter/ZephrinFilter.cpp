// The filter's settings table and the host's start of playback.
#include "zephrin/filter/ZephrinFilter.h"

#include "zephrin/filter/ZephrinIds.h"

CMfxZephrinFilter::CMfxZephrinFilter() : CMfxFilter(CLSID_ZephrinFilter, CLSID_ZephrinPropPage) {
    m_pending.time = -1;
}

int32_t CMfxZephrinFilter::GetParam(int row, int column) {
    CLockGuard guard(m_lock);
    return m_params[row][column];
}

void CMfxZephrinFilter::SetParam(int row, int column, int32_t value) {
    CLockGuard guard(m_lock);
    m_params[row][column] = value;
}

int32_t CMfxZephrinFilter::ParamMin(int, int) { return 0; }

int32_t CMfxZephrinFilter::ParamMax(int row, int) {
    switch (row) {
    case 0: return 127;
    case 1: return 128;
    default: return 0;
    }
}

// A new start of playback forgets the controller-off waiting to be re-sent.
STDMETHODIMP CMfxZephrinFilter::OnStart(LONG, LONG) {
    m_pending.time = -1;
    m_hasPending = false;
    return S_OK;
}
