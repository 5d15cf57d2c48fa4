// The filter object: identity, reference count, settings table, the host's
// transport calls, the page list and the link to the editor page.
#include "zephrin/filter/ZephrinFilter.h"

#include "common/ModuleCounts.h"
#include "zephrin/filter/ZephrinIds.h"

CMfxZephrinFilter::CMfxZephrinFilter() {
    m_pending.time = -1;
    InterlockedIncrement(&g_objectCount);
}

CMfxZephrinFilter::~CMfxZephrinFilter() {
    {
        CLockGuard link(PageLinkLock());
        m_page.FilterGone(this);
    }
    InterlockedDecrement(&g_objectCount);
}

STDMETHODIMP CMfxZephrinFilter::QueryInterface(REFIID riid, void** ppv) {
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

STDMETHODIMP_(ULONG) CMfxZephrinFilter::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refCount));
}

STDMETHODIMP_(ULONG) CMfxZephrinFilter::Release() {
    LONG count = InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
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

// The host's context object is neither kept nor counted.
STDMETHODIMP CMfxZephrinFilter::Connect(IUnknown*) { return S_OK; }
STDMETHODIMP CMfxZephrinFilter::Disconnect() { return S_OK; }

// A new start of playback forgets the controller-off waiting to be re-sent.
STDMETHODIMP CMfxZephrinFilter::OnStart(LONG, LONG) {
    m_pending.time = -1;
    m_hasPending = false;
    return S_OK;
}

STDMETHODIMP CMfxZephrinFilter::OnLoop(LONG, LONG, LONG) { return S_OK; }
STDMETHODIMP CMfxZephrinFilter::OnStop(LONG, LONG) { return S_OK; }

STDMETHODIMP CMfxZephrinFilter::GetPages(CAUUID* pPages) {
    return OnePageList(pPages, CLSID_ZephrinPropPage);
}

void CMfxZephrinFilter::AttachPage(IZephrinPageLink* page) {
    m_page.Attach(page, this);
}

void CMfxZephrinFilter::DetachPage(IZephrinPageLink* page) {
    m_page.Detach(page);
}

void CMfxZephrinFilter::RefreshPage() {
    CLockGuard link(PageLinkLock());
    if (IZephrinPageLink* page = m_page.Get()) page->Refresh();
}
