// Zephrin Map's filter object: identity, reference count, the host's
// transport calls, the editing side, the page list and the link to the page.
#include "map/mfx/MapFilter.h"

#include "common/ModuleCounts.h"
#include "map/mfx/MapIds.h"

CMfxZephrinMapFilter::CMfxZephrinMapFilter() { InterlockedIncrement(&g_objectCount); }

CMfxZephrinMapFilter::~CMfxZephrinMapFilter() {
    {
        CLockGuard link(PageLinkLock());
        m_page.FilterGone(this);
    }
    InterlockedDecrement(&g_objectCount);
}

STDMETHODIMP CMfxZephrinMapFilter::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IMfxEventFilter) {
        *ppv = static_cast<IMfxEventFilter*>(this);
    } else if (riid == IID_IPersistStream) {
        *ppv = static_cast<IPersistStream*>(this);
    } else if (riid == IID_ISpecifyPropertyPages) {
        *ppv = static_cast<ISpecifyPropertyPages*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CMfxZephrinMapFilter::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refCount));
}

STDMETHODIMP_(ULONG) CMfxZephrinMapFilter::Release() {
    const LONG count = InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

// The host's context object is neither kept nor counted.
STDMETHODIMP CMfxZephrinMapFilter::Connect(IUnknown*) { return S_OK; }
STDMETHODIMP CMfxZephrinMapFilter::Disconnect() { return S_OK; }

// A new start of playback: every playback latch up, nothing waiting to be
// sent again. What live keys latched stays.
STDMETHODIMP CMfxZephrinMapFilter::OnStart(LONG, LONG) {
    m_playback.Reset();
    return S_OK;
}

STDMETHODIMP CMfxZephrinMapFilter::OnLoop(LONG, LONG, LONG) { return S_OK; }
STDMETHODIMP CMfxZephrinMapFilter::OnStop(LONG, LONG) { return S_OK; }

void CMfxZephrinMapFilter::SetSettings(const MapSettings& settings) {
    m_store.Replace(settings);
    m_dirty.store(1, std::memory_order_relaxed);
}

bool CMfxZephrinMapFilter::SetMapping(int index, const MapMapping& mapping) {
    if (index < 0 || index >= kMapMaxMappings || !mapping.IsValid()) return false;
    m_store.Change([&](MapSettings& settings) { settings.SetMapping(index, mapping); });
    m_dirty.store(1, std::memory_order_relaxed);
    return true;
}

void CMfxZephrinMapFilter::SetLookAheadFix(bool on) {
    m_store.Change([&](MapSettings& settings) { settings.lookAheadFix = on; });
    m_dirty.store(1, std::memory_order_relaxed);
}

void CMfxZephrinMapFilter::SetLearning(int mapping) {
    m_learning.store(mapping >= 0 && mapping < kMapMaxMappings ? mapping + 1 : 0,
                     std::memory_order_relaxed);
}

STDMETHODIMP CMfxZephrinMapFilter::GetPages(CAUUID* pPages) {
    return OnePageList(pPages, CLSID_ZephrinMapPropPage);
}

void CMfxZephrinMapFilter::AttachPage(IMapPageLink* page) { m_page.Attach(page, this); }

void CMfxZephrinMapFilter::DetachPage(IMapPageLink* page) { m_page.Detach(page); }
